#include "ui/upgradeflow.h"

#include <shellapi.h>
#include <shlwapi.h>

#include "net/versionendpoint.h"
#include "ui/safename.h"

const wchar_t kUpgradeQuestion[] = L"检测有新的版本，需要更新吗？";

std::wstring InstallerFileName(const std::wstring& versionNo)
{
    if (!IsSafeFileNamePart(versionNo))
        return {};
    return L"MoravelUpgrade_" + versionNo + L".exe";
}

bool IsInstallerPresent(const std::wstring& path)
{
    return !path.empty() && GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
           !PathIsDirectoryW(path.c_str());
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
    if (IsInstallerPresent(installer)) {
        Prompt();
        return UpgradeStep::Offered;
    }
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

void CUpgradeFlow::Prompt()
{
    const std::wstring installer = InstallerFileName(m_latest.version_no);
    if (!IsInstallerPresent(installer) || !m_hooks.ask)
        return;
    if (m_hooks.ask(kUpgradeQuestion, UpgradePromptStyle(m_latest)) == IDOK && m_hooks.runInstaller)
        m_hooks.runInstaller(installer);
}
