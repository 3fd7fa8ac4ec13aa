#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "net/versionrecord.h"
#include "ui/downloadfilethread.h"

class CHttpTransport;

extern const wchar_t kUpgradeQuestion[];

// "MoravelUpgrade_<version>.exe" in the working folder; empty when the version
// could name a file elsewhere (such a version is never downloaded nor offered).
std::wstring InstallerFileName(const std::wstring& versionNo);

// The prompt's message-box style: OK only when the update is forced.
UINT UpgradePromptStyle(const VersionRecord& latest);

// Opens the installer with the shell ("open").
void OpenInstaller(const std::wstring& path);

// Where the upgrade meets the main window.
struct UpgradeHooks {
    // Told synchronously, just before the worker is started.
    std::function<void()> downloadStarting;
    // The worker's reports, on the worker thread; the main window passes them to
    // its UI thread and back into CUpgradeFlow::OnDownloadReport.
    DownloadReporter report;
    // The prompt; returns the button pressed (IDOK agrees).
    std::function<int(const std::wstring& text, UINT style)> ask;
    // The merchant agreed: start the installer and end the assistant.
    std::function<void(const std::wstring& installer)> runInstaller;
};

enum class UpgradeStep {
    None,            // no newer version, no usable answer, an unsafe version, no pinned publisher,
                     // an installer refused, or a download already running
    Offered,         // the installer was already there, signed, and has been offered
    DownloadStarted,
};

// The version check of the main window's initialisation and the upgrade behind it.
// An installer is offered and run only when it carries the publisher's signature: the
// signer's certificate must have the SHA-256 `signerSha256` (hex); without one nothing
// is downloaded or offered.
class CUpgradeFlow {
public:
    CUpgradeFlow(UpgradeHooks hooks, std::wstring signerSha256)
        : m_hooks(std::move(hooks)), m_signer(std::move(signerSha256)) {}
    // Waits for a running download (as closing the main window does).
    ~CUpgradeFlow() = default;
    CUpgradeFlow(const CUpgradeFlow&) = delete;
    CUpgradeFlow& operator=(const CUpgradeFlow&) = delete;

    // Asks for the latest version; any difference from `ownVersion` is new. Offers
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
    // Last, so it is destroyed first: the worker still uses the hooks until it ends.
    DownloadFileThread m_download;
};
