#include "ui/upgradeflow.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "net/diag.h"
#include "net/versionendpoint.h"
#include "ui/installertrust.h"
#include "ui/safename.h"

const wchar_t kUpgradeQuestion[] = L"检测有新的版本，需要更新吗？";

std::wstring InstallerFileName(const std::wstring& versionNo)
{
    if (!IsSafeFileNamePart(versionNo))
        return {};
    return L"MoravelUpgrade_" + versionNo + L".exe";
}

UINT UpgradePromptStyle(const VersionRecord& latest)
{
    const UINT style = MB_SYSTEMMODAL | MB_ICONINFORMATION;
    return latest.force_update == L"1" ? style : style | MB_OKCANCEL;
}

void OpenInstaller(const std::wstring& path)
{
    ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

UpgradeStep CUpgradeFlow::Check(CHttpTransport& transport, const std::wstring& ownVersion)
{
    VersionRecord latest;
    if (!GetLatestVersion(transport, latest))
        return UpgradeStep::None;
    return Consider(latest, ownVersion);
}

UpgradeStep CUpgradeFlow::Consider(const VersionRecord& latest, const std::wstring& ownVersion)
{
    m_latest = latest;
    if (m_latest.version_no == ownVersion)
        return UpgradeStep::None;
    const std::wstring installer = InstallerFileName(m_latest.version_no);
    if (installer.empty())
        return UpgradeStep::None;
    if (!IsSignerPin(m_signer)) {
        DebugLine(L"Upgrade " + m_latest.version_no + L" ignored: this build pins no publisher certificate.");
        return UpgradeStep::None;
    }
    // Whatever lies there, a directory too, is checked; what fails is gone at the next start.
    if (GetFileAttributesW(installer.c_str()) != INVALID_FILE_ATTRIBUTES)
        return Prompt() ? UpgradeStep::Offered : UpgradeStep::None;
    if (m_download.IsRunning())
        return UpgradeStep::None;
    m_download.SetReporter(m_hooks.report);
    m_download.SetParams(m_latest.url, installer);
    if (m_hooks.downloadStarting)
        m_hooks.downloadStarting();
    return m_download.Start() ? UpgradeStep::DownloadStarted : UpgradeStep::None;
}

void CUpgradeFlow::OnDownloadReport(const DownloadReport& report)
{
    if (report.progress == 100 && report.succeeded)
        Prompt();
}

bool CUpgradeFlow::Prompt()
{
    const std::wstring installer = InstallerFileName(m_latest.version_no);
    if (installer.empty() || GetFileAttributesW(installer.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    KernelHandle held;
    std::wstring why;
    if (!HoldTrustedInstaller(installer, m_signer, held, why)) {
        // Only an empty directory goes: one with files in it is not ours to empty.
        const bool gone = PathIsDirectoryW(installer.c_str()) ? RemoveDirectoryW(installer.c_str())
                                                              : DeleteFileW(installer.c_str());
        DebugLine(L"Upgrade installer " + installer + L" refused: " + why +
                  (gone ? L"; deleted." : L"; could not be deleted."));
        return false;
    }
    if (!m_hooks.ask)
        return false;
    // `held` keeps the checked file from being written, renamed or deleted until the
    // shell has started it.
    if (m_hooks.ask(kUpgradeQuestion, UpgradePromptStyle(m_latest)) == IDOK && m_hooks.runInstaller)
        m_hooks.runInstaller(installer);
    return true;
}
