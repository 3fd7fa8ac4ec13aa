#include "ui/upgradeflow.h"

#include <cwctype>

#include "config/buildurls.h"
#include "base/log.h"
#include "net/serviceaccess.h"
#include "net/versionendpoint.h"
#include "ui/installertrust.h"
#include "ui/safename.h"

const wchar_t kUpgradeQuestion[] = L"检测有新的版本，需要更新吗？";

namespace {

// The numbers of a dotted version without their leading zeros; false for anything else.
bool VersionNumbers(const std::wstring& version, std::vector<std::wstring>& numbers)
{
    numbers.clear();
    // A real version is a few short numbers; this bounds the work on a hostile one.
    if (version.empty() || version.size() > 64)
        return false;
    std::wstring number;
    for (size_t i = 0; i <= version.size(); ++i) {
        const wchar_t c = i < version.size() ? version[i] : L'.';
        if (c == L'.') {
            if (number.empty())
                return false;
            const size_t first = number.find_first_not_of(L'0');
            numbers.push_back(first == std::wstring::npos ? std::wstring() : number.substr(first));
            number.clear();
        } else if (c >= L'0' && c <= L'9') {
            number += c;
        } else {
            return false;
        }
    }
    return true;
}

// -1, 0 or 1 for two numbers without leading zeros, of any length.
int CompareNumbers(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

struct LinkParts {
    std::wstring scheme;  // lower case, without "://"
    std::wstring host;    // lower case, without the port
};

// Scheme and host of an absolute http(s) link; false when its host part is anything
// but a host name or address and an optional port.
bool SplitLink(const std::wstring& link, LinkParts& parts)
{
    const size_t colon = link.find(L"://");
    if (colon == std::wstring::npos)
        return false;
    parts.scheme.clear();
    for (wchar_t c : link.substr(0, colon))
        parts.scheme += static_cast<wchar_t>(towlower(c));
    if (parts.scheme != L"http" && parts.scheme != L"https")
        return false;
    const size_t start = colon + 3;
    const size_t end = link.find_first_of(L"/?#", start);
    const std::wstring authority = link.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
    const size_t portAt = authority.find(L':');
    parts.host.clear();
    for (wchar_t c : authority.substr(0, portAt)) {
        const bool plain =
            (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'.' || c == L'-';
        if (!plain)
            return false;
        parts.host += static_cast<wchar_t>(towlower(c));
    }
    if (parts.host.empty())
        return false;
    if (portAt != std::wstring::npos) {
        const std::wstring port = authority.substr(portAt + 1);
        if (port.empty() || port.size() > 5 || port.find_first_not_of(L"0123456789") != std::wstring::npos)
            return false;
    }
    // Nothing in the rest may be read as a host, or as the end of the link, by anyone else.
    for (wchar_t c : link)
        if (c <= L' ' || c == 0x7F || c == L'\\')
            return false;
    return true;
}

std::wstring Widen(const std::string& ascii)
{
    return std::wstring(ascii.begin(), ascii.end());
}

}  // namespace

bool IsNewerVersion(const std::wstring& offered, const std::wstring& own)
{
    std::vector<std::wstring> a, b;
    if (!VersionNumbers(offered, a) || !VersionNumbers(own, b))
        return false;
    for (size_t i = 0; i < a.size() || i < b.size(); ++i) {
        const int order = CompareNumbers(i < a.size() ? a[i] : std::wstring(), i < b.size() ? b[i] : std::wstring());
        if (order != 0)
            return order > 0;
    }
    return false;
}

bool IsInstallerLinkAllowed(const std::wstring& link, const std::wstring& serviceUrl,
                            const std::vector<std::wstring>& siteUrls)
{
    LinkParts target, service;
    if (!SplitLink(link, target) || !SplitLink(serviceUrl, service))
        return false;
    // What came over TLS must not be undone by fetching the installer in the clear.
    if (service.scheme == L"https")
        return target.scheme == L"https";
    if (target.host == service.host)
        return true;
    for (const std::wstring& site : siteUrls) {
        LinkParts parts;
        if (SplitLink(site, parts) && parts.host == target.host)
            return true;
    }
    return false;
}

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

bool OpenInstaller(const std::wstring& fullPath)
{
    // The application name is the path itself: nothing is searched for, no shell
    // association or verb stands between the checked file and what runs.
    std::wstring commandLine = L"\"" + fullPath + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(fullPath.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        DebugLine(L"Upgrade installer " + fullPath + L" did not start, error " + std::to_wstring(GetLastError()));
        return false;
    }
    KernelHandle thread(process.hThread);
    KernelHandle child(process.hProcess);
    return true;
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
    m_own = ownVersion;
    // Only forward: an older signed setup may carry a flaw since mended.
    if (!IsNewerVersion(m_latest.version_no, ownVersion))
        return UpgradeStep::None;
    if (!IsInstallerLinkAllowed(m_latest.url, Widen(ServiceBaseUrl()), {kShareUrl, kSiteUrl})) {
        DebugLine(L"Upgrade " + m_latest.version_no + L" ignored: its link " + m_latest.url +
                  L" is not one this service may name.");
        return UpgradeStep::None;
    }
    const std::wstring installer = InstallerFileName(m_latest.version_no);
    if (installer.empty())
        return UpgradeStep::None;
    if (!HasPublisherKeys(m_signer)) {
        DebugLine(L"Upgrade " + m_latest.version_no + L" ignored: this build pins no publisher key.");
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
    if (installer.empty() || !IsNewerVersion(m_latest.version_no, m_own) ||
        GetFileAttributesW(installer.c_str()) == INVALID_FILE_ATTRIBUTES)
        return false;
    KernelHandle held;
    std::wstring why;
    std::wstring fullPath;
    if (!HoldTrustedInstaller(installer, m_signer, held, why) || (fullPath = HeldFilePath(held)).empty()) {
        if (why.empty())
            why = L"its full path cannot be read";
        held.Reset();
        // Only an empty directory goes: one with files in it is not ours to empty. A
        // link (reparse point) goes itself, never what it points at.
        const DWORD attributes = GetFileAttributesW(installer.c_str());
        const bool gone = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)
                              ? RemoveDirectoryW(installer.c_str())
                              : DeleteFileW(installer.c_str());
        DebugLine(L"Upgrade installer " + installer + L" refused: " + why +
                  (gone ? L"; deleted." : L"; could not be deleted."));
        return false;
    }
    if (!m_hooks.ask)
        return false;
    // `held` keeps the checked file from being written, renamed or deleted until it has
    // been started by the path of that very handle.
    if (m_hooks.ask(kUpgradeQuestion, UpgradePromptStyle(m_latest)) == IDOK && m_hooks.runInstaller)
        m_hooks.runInstaller(fullPath);
    return true;
}
