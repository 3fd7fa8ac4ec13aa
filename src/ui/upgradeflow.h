#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "net/versionrecord.h"
#include "ui/downloadfilethread.h"

class CHttpTransport;

extern const wchar_t kUpgradeQuestion[];

// "MoravelUpgrade_<version>.exe" in the working folder; empty when the version
// could name a file elsewhere (such a version is never downloaded nor offered).
std::wstring InstallerFileName(const std::wstring& versionNo);

// Whether `offered` is a later version than `own`, both dotted numbers compared number
// by number ("1.10" after "1.9", "1.2" the same as "1.2.0"). Anything that is not dotted
// decimal numbers, on either side, is never later.
bool IsNewerVersion(const std::wstring& offered, const std::wstring& own);

// Whether the installer may be fetched from `link`. Under an https:// service only an
// https:// link; under an http:// one an http(s):// link whose host is the service's or
// that of one of `siteUrls`. Schemes and hosts compare without regard to case; a link
// whose host part holds user information, a backslash or anything but a plain host name
// (and port) is refused.
bool IsInstallerLinkAllowed(const std::wstring& link, const std::wstring& serviceUrl,
                            const std::vector<std::wstring>& siteUrls);

// The prompt's message-box style: OK only when the update is forced.
UINT UpgradePromptStyle(const VersionRecord& latest);

// Starts the installer at its full path (no shell, no search); false when it did not start.
bool OpenInstaller(const std::wstring& fullPath);

// Where the upgrade meets the main window.
struct UpgradeHooks {
    // Told synchronously, just before the worker is started.
    std::function<void()> downloadStarting;
    // The worker's reports, on the worker thread; the main window passes them to
    // its UI thread and back into CUpgradeFlow::OnDownloadReport.
    DownloadReporter report;
    // The prompt; returns the button pressed (IDOK agrees).
    std::function<int(const std::wstring& text, UINT style)> ask;
    // The merchant agreed: start the installer, named by the full path of the very file
    // that was checked (held unchanged meanwhile), and end the assistant.
    std::function<void(const std::wstring& installer)> runInstaller;
};

enum class UpgradeStep {
    None,     // no newer version, no usable answer, an unsafe version or link, no pinned
              // publisher, an installer refused, or a download already running
    Offered,  // the installer was already there, signed, and has been offered
    DownloadStarted,
};

// The version check of the main window's initialisation and the upgrade behind it.
// Only a later version is taken, only from a link IsInstallerLinkAllowed accepts for the
// service (ServiceBaseUrl) and the build's share and site pages, and an installer is
// offered and run only when it carries the publisher's signature: the signer's public
// key must be one of `publisherKeys` (see installertrust.h); without any nothing is
// downloaded or offered.
class CUpgradeFlow {
public:
    CUpgradeFlow(UpgradeHooks hooks, std::wstring publisherKeys)
        : m_hooks(std::move(hooks)), m_signer(std::move(publisherKeys))
    {}
    // Waits for a running download (as closing the main window does).
    ~CUpgradeFlow() = default;
    CUpgradeFlow(const CUpgradeFlow&) = delete;
    CUpgradeFlow& operator=(const CUpgradeFlow&) = delete;

    // Asks for the latest version; only a later one than `ownVersion` is new. Offers
    // an installer already present, or starts its download unless one runs.
    UpgradeStep Check(CHttpTransport& transport, const std::wstring& ownVersion);

    // Check with the service's answer already at hand.
    UpgradeStep Consider(const VersionRecord& latest, const std::wstring& ownVersion);

    // On the UI thread, for each worker report: the end of a successful download
    // brings the prompt; a failed one brings nothing, so the next start tries again.
    void OnDownloadReport(const DownloadReport& report);

    // Offers the installer of the latest version when it is present and signed by the
    // publisher, holding it unchanged until it has been started. One that is not is
    // deleted (the next start downloads it again) and the debug output says why.
    // Whether the merchant was asked.
    bool Prompt();

    DownloadFileThread& Download() { return m_download; }
    const VersionRecord& Latest() const { return m_latest; }

private:
    UpgradeHooks m_hooks;
    std::wstring m_signer;
    VersionRecord m_latest;
    std::wstring m_own;
    // Last, so it is destroyed first: the worker still uses the hooks until it ends.
    DownloadFileThread m_download;
};
