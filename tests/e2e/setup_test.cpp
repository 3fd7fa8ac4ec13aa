// The setup program a merchant downloads, run for real: silent installs into a fresh
// folder, the self-upgrade from one built version to the next through the setup's own
// pages, installing over a running copy, and the uninstaller.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <softpub.h>
#include <wintrust.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "driver.h"
#include "servicefixture.h"
#include "standinclient.h"

namespace {

const SIZE kMain = {462, 730};
const wchar_t kProduct[] = L"Lumora开票助手";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumora";
const wchar_t kUninstaller[] = L"卸载 Lumora开票助手.exe";
const std::wstring kHtSeller = L"--seller-name 福州路明信息技术有限公司 --seller-tax 91350100M000100Y43";

std::wstring Env(const wchar_t* name)
{
    wchar_t buf[256] = {};
    DWORD n = GetEnvironmentVariableW(name, buf, 256);
    return std::wstring(buf, n < 256 ? n : 0);
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Lower(std::wstring text)
{
    std::transform(text.begin(), text.end(), text.begin(), towlower);
    return text;
}

// The same file however the path was spelt (short names, case, a closing backslash).
bool SamePath(const std::wstring& a, const std::wstring& b)
{
    auto full = [](std::wstring path) {
        while (path.size() > 3 && path.back() == L'\\')
            path.pop_back();
        wchar_t buf[MAX_PATH] = {};
        DWORD n = GetLongPathNameW(path.c_str(), buf, MAX_PATH);
        return Lower(n > 0 && n < MAX_PATH ? std::wstring(buf, n) : path);
    };
    return full(a) == full(b);
}

std::wstring KnownFolder(int csidl)
{
    wchar_t buf[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, buf)) ? buf : L"";
}
std::wstring StartMenuShortcut()
{
    return KnownFolder(CSIDL_PROGRAMS) + L"\\" + kProduct + L".lnk";
}
std::wstring DesktopShortcut()
{
    return KnownFolder(CSIDL_DESKTOPDIRECTORY) + L"\\" + kProduct + L".lnk";
}

std::wstring UninstallValue(const wchar_t* name)
{
    wchar_t buf[512] = {};
    DWORD size = sizeof buf;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, buf, &size) != ERROR_SUCCESS)
        return L"";
    return buf;
}
bool UninstallKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// ProductVersion of the file's VERSIONINFO and its fixed
// file version as "a.b.c.d".
struct FileVersion {
    std::wstring product;
    std::wstring fixed;
};
FileVersion VersionOf(const std::wstring& file)
{
    FileVersion out;
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, data.data()))
        return out;
    void* value = nullptr;
    UINT length = 0;
    // The first language block the file lists.
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
        const WORD* lang = static_cast<const WORD*>(value);
        wchar_t block[64] = {};
        swprintf(block, 64, L"\\StringFileInfo\\%04x%04x\\ProductVersion", lang[0], lang[1]);
        if (VerQueryValueW(data.data(), block, &value, &length) && length)
            out.product = static_cast<const wchar_t*>(value);
    }
    if (VerQueryValueW(data.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        out.fixed = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                    std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                    std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                    std::to_wstring(LOWORD(fixed->dwFileVersionLS));
    }
    return out;
}

// WinVerifyTrust's verdict on the file's Authenticode signature (0: signed and intact);
// offline, so no revocation check.
LONG TrustOf(const std::wstring& file)
{
    WINTRUST_FILE_INFO info = {};
    info.cbStruct = sizeof info;
    info.pcwszFilePath = file.c_str();
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &info;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return result;
}

// Runs a program to its end (bounded); its exit code, or STILL_ACTIVE.
DWORD RunToEnd(const std::wstring& exe, const std::wstring& args, DWORD ms)
{
    AppProcess process(exe, L"", args);
    return process.Started() ? process.WaitExit(ms) : STILL_ACTIVE;
}

// Every file under `folder`, as paths relative to it.
void ListFiles(const std::wstring& folder, const std::wstring& prefix, std::vector<std::wstring>& out)
{
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            ListFiles(folder + L"\\" + name, prefix + name + L"\\", out);
        else
            out.push_back(prefix + name);
    } while (FindNextFileW(find, &found));
    FindClose(find);
}

// A visible main window of the program, whoever started it, with its process.
struct Running {
    HWND main = nullptr;
    DWORD pid = 0;
    std::wstring image;
};
Running FindMainWindow()
{
    Running out;
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* r = reinterpret_cast<Running*>(lp);
            SIZE size = WindowSize(hwnd);
            if (!IsWindowVisible(hwnd) || !ClassIs(hwnd, L"SOUIHOST") || size.cx != kMain.cx || size.cy != kMain.cy)
                return TRUE;
            r->main = hwnd;
            GetWindowThreadProcessId(hwnd, &r->pid);
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&out));
    if (KernelHandle process{OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, out.pid)};
        static_cast<bool>(process)) {
        wchar_t buf[MAX_PATH] = {};
        DWORD n = MAX_PATH;
        if (QueryFullProcessImageNameW(process.Get(), 0, buf, &n))
            out.image.assign(buf, n);
    }
    return out;
}

// Ends the program the way its tray menu does and waits for the process to go.
bool CloseProgram(const Running& running)
{
    KernelHandle process{OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, running.pid)};
    PostMessageW(running.main, WM_CLOSE, 0, 0);
    if (!process)
        return false;
    if (WaitForSingleObject(process.Get(), 15000) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(process.Get(), 1);
    return false;
}

// A visible wizard window (a dialog) of the setup or the uninstaller by the start of its caption,
// whichever process shows it.
HWND FindWizard(const std::wstring& caption)
{
    struct Args {
        const std::wstring* caption;
        HWND found;
    } args = {&caption, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<Args*>(lp);
            // Pages add their own words after the caption.
            if (IsWindowVisible(hwnd) && ClassIs(hwnd, L"#32770") && WindowText(hwnd).rfind(*a->caption, 0) == 0) {
                a->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
}
HWND FindSetupWindow(const std::wstring& version)
{
    return FindWizard(std::wstring(kProduct) + L" " + version + L" 安装");
}

// Captions of the visible top-level windows, for a failure message.
std::string VisibleWindows()
{
    std::string out;
    EnumWindows(
        [](HWND hwnd, LPARAM lp) -> BOOL {
            if (IsWindowVisible(hwnd)) {
                const std::wstring text = WindowText(hwnd);
                char buf[256] = {};
                WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buf, sizeof buf - 1, nullptr, nullptr);
                *reinterpret_cast<std::string*>(lp) += std::string("[") + buf + "] ";
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

std::wstring ChildText(HWND dialog, int id)
{
    return WindowText(GetDlgItem(dialog, id));
}

// What an edit of another process holds (GetWindowText would not ask it).
std::wstring EditText(HWND edit)
{
    wchar_t buf[MAX_PATH] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(edit, WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &copied);
    return buf;
}

// A key pressed and released on the keyboard, into the window once it is in front.
bool PressKey(HWND wnd, WORD vk)
{
    SetForegroundWindow(wnd);
    if (!WaitUntil([&] { return GetForegroundWindow() == wnd; }, 5000))
        return false;
    INPUT in[2] = {};
    in[0].type = INPUT_KEYBOARD;
    in[0].ki.wVk = vk;
    in[1] = in[0];
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    return SendInput(2, in, sizeof(INPUT)) == 2;
}

// A visible control of the wizard's current page (inside its inner dialog, not one of
// the wizard's own buttons) by class; for buttons, of that type (BS_AUTOCHECKBOX...).
HWND PageControl(HWND wizard, const wchar_t* className, LONG buttonType = -1)
{
    struct Args {
        HWND wizard;
        const wchar_t* className;
        LONG buttonType;
        HWND found;
    } args = {wizard, className, buttonType, nullptr};
    EnumChildWindows(
        wizard,
        [](HWND hwnd, LPARAM lp) -> BOOL {
            auto* a = reinterpret_cast<Args*>(lp);
            if (GetParent(hwnd) == a->wizard || !IsWindowVisible(hwnd) || !ClassIs(hwnd, a->className))
                return TRUE;
            if (a->buttonType >= 0 && (GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) != a->buttonType)
                return TRUE;
            a->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&args));
    return args.found;
}

void EndProcessOf(HWND wnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    KernelHandle process{OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid)};
    if (static_cast<bool>(process) && TerminateProcess(process.Get(), 1))
        WaitForSingleObject(process.Get(), 10000);
}

class setup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(UseFixtureService());
        ASSERT_TRUE(ServiceControl("reset"));
        ASSERT_TRUE(ServiceControl("version?no=" + Narrow(Env(L"E2E_VERSION")) + "&force=0&installer=none.exe"));
        m_version = Env(L"E2E_VERSION");
        m_next = Env(L"E2E_NEXT_VERSION");
        m_setup = FromHostPath(L"E2E_SETUP");
        m_setupNext = FromHostPath(L"E2E_SETUP_NEXT");
        ASSERT_TRUE(Exists(m_setup)) << "no setup program";
        ASSERT_TRUE(Exists(m_setupNext)) << "no setup program of the next version";
        m_dir = m_root.File(L"Lumora");
        RemoveLeftovers();
    }

    void TearDown() override
    {
        // The other suites on this service expect the version record it was seeded with.
        ServiceControl("version?no=" + Narrow(m_version) + "&force=0&installer=MoravelUpgrade_" + Narrow(m_version) +
                       ".exe");
        // A wizard or a program left open by a failed case is ended by its pid: it holds
        // our output pipes, and ctest would wait for them.
        for (const std::wstring& caption :
             {std::wstring(kProduct) + L" " + m_version + L" 安装", std::wstring(kProduct) + L" " + m_next + L" 安装",
              std::wstring(kProduct) + L" 卸载"})
            if (HWND wizard = FindWizard(caption))
                EndProcessOf(wizard);
        if (Running left = FindMainWindow(); left.main)
            EndProcessOf(left.main);
        // The shortcuts and the uninstall key live in the prefix, not in our folder.
        if (Exists(Uninstaller()))
            RunToEnd(Uninstaller(), L"/S _?=" + m_dir, 60000);
        RemoveLeftovers();
    }

    static std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

    static void RemoveLeftovers()
    {
        DeleteFileW(StartMenuShortcut().c_str());
        DeleteFileW(DesktopShortcut().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, kUninstallKey);
    }

    std::wstring App() const { return m_dir + L"\\app\\Moravel.exe"; }
    std::wstring Profile() const { return m_dir + L"\\Moravel\\ops.dat"; }
    std::wstring Uninstaller() const { return m_dir + L"\\" + kUninstaller; }

    // A silent install into our folder; the setup's exit code.
    DWORD InstallSilently(const std::wstring& setupExe) const { return RunToEnd(setupExe, L"/S /D=" + m_dir, 120000); }

    // The uninstaller copies itself away and returns at once: wait for its work to be done.
    bool UninstallSilently() const
    {
        if (RunToEnd(Uninstaller(), L"/S", 60000) != 0)
            return false;
        return WaitUntil([&] { return !Exists(Uninstaller()) && !UninstallKeyExists(); }, 60000);
    }

    // The merchant a finished first session leaves behind, and a QR picture of the card.
    void StoreMerchant() const
    {
        const std::wstring p = Profile();
        ASSERT_TRUE(WritePrivateProfileStringW(L"User", L"Id", L"10000001", p.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Com", L"Id", L"_HT91350100M000100Y43", p.c_str()));
        ASSERT_TRUE(
            WritePrivateProfileStringW(L"Com_HT91350100M000100Y43", L"CN", L"福州路明信息技术有限公司", p.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Com_HT91350100M000100Y43", L"TC", L"91350100M000100Y43", p.c_str()));
        ASSERT_TRUE(WritePrivateProfileStringW(L"Com_HT91350100M000100Y43", L"KN", L"6c756d6f72612d6d65726368616e7431",
                                               p.c_str()));
        ASSERT_TRUE(WriteFileBytes(m_dir + L"\\Moravel\\qr_6c756d6f72612d6d65726368616e7431.png", "not a real png"));
    }

    std::unique_ptr<StandInProcess> StartStandIn() const
    {
        return StandInProcess::Start(L"Aisino.Framework.Startup.exe", kHtSeller, m_root.File(L"fields.log"));
    }

    ScopedWorkDir m_root;
    std::wstring m_dir, m_version, m_next, m_setup, m_setupNext;
};

}  // namespace

// The installed program is told of the next version, downloads its setup, asks, and on
// OK opens it and ends; the person goes through the setup's pages with the keyboard.
// The new version then runs from the same folder with the same profile.
TEST_F(setup, upgrade_through_the_setup_pages_keeps_the_profile)
{
    ASSERT_EQ(InstallSilently(m_setup), 0u);
    ASSERT_TRUE(Exists(App()));
    EXPECT_EQ(VersionOf(App()).product, m_version);
    StoreMerchant();
    const std::string profile = ReadFileBytes(Profile());
    ASSERT_FALSE(profile.empty());

    // The program's debugger output, as a debugger of ours reads it.
    const std::wstring debugLog = m_root.File(L"debug.log");
    auto standIn = StartStandIn();
    ASSERT_NE(standIn, nullptr);
    // The operator publishes the next setup as the upgrade installer.
    const std::wstring published =
        FolderOf(FromHostPath(L"MORAVEL_SERVICE_URL_PATH")) + L"\\files\\MoravelUpgrade_" + m_next + L".exe";
    ASSERT_TRUE(CopyFileW(m_setupNext.c_str(), published.c_str(), FALSE));
    ASSERT_TRUE(ServiceControl("version?no=" + Narrow(m_next) + "&force=0&installer=MoravelUpgrade_" + Narrow(m_next) +
                               ".exe"));
    TakeServiceRequests();
    AppProcess app(App(), m_root.Path(), L"", debugLog);
    ASSERT_TRUE(app.Started());
    std::string requests;
    ASSERT_TRUE(WaitUntil(
        [&] {
            requests += TakeServiceRequests();
            return requests.find("GET /download/MoravelUpgrade_" + Narrow(m_next) + ".exe") != std::string::npos;
        },
        30000))
        << requests;
    HWND prompt = WaitHost(app.Pid(), kMessageBox, 30000);
    ASSERT_NE(prompt, nullptr) << "no upgrade question";
    Click(prompt, kBoxOkOfTwo);
    EXPECT_NE(app.WaitExit(15000), STILL_ACTIVE) << "the program did not end";
    // What the program downloaded is the published setup, byte for byte.
    EXPECT_EQ(ReadFileBytes(m_dir + L"\\Moravel\\MoravelUpgrade_" + m_next + L".exe"), ReadFileBytes(m_setupNext));

    // Welcome page: Enter is "下一步".
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wizard = FindSetupWindow(m_next)) != nullptr; }, 30000))
        << "the setup's pages did not appear; windows: " << VisibleWindows();
    ASSERT_TRUE(WaitUntil([&] { return ChildText(wizard, IDOK).find(L"下一步") != std::wstring::npos; }, 10000));
    ASSERT_TRUE(PressKey(wizard, VK_RETURN));
    // Folder page: it proposes the installed copy's folder; Enter is "安装".
    ASSERT_TRUE(WaitUntil([&] { return ChildText(wizard, IDOK).find(L"安装") != std::wstring::npos; }, 10000))
        << "no folder page";
    // The buttons change before the page's controls are made.
    HWND folder = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (folder = PageControl(wizard, L"Edit")) != nullptr; }, 5000));
    EXPECT_TRUE(SamePath(EditText(folder), m_dir)) << "proposed " << Narrow(EditText(folder));
    ASSERT_TRUE(PressKey(wizard, VK_RETURN));
    // Finish page: "运行 Lumora开票助手" is ticked; Enter is "完成".
    ASSERT_TRUE(WaitUntil([&] { return ChildText(wizard, IDOK).find(L"完成") != std::wstring::npos; }, 60000))
        << "no finish page";
    HWND run = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (run = PageControl(wizard, L"Button", BS_AUTOCHECKBOX)) != nullptr; }, 5000));
    EXPECT_EQ(SendMessageW(run, BM_GETCHECK, 0, 0), BST_CHECKED);
    ASSERT_TRUE(PressKey(wizard, VK_RETURN));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(wizard); }, 15000)) << "the setup did not end";

    Running started;
    ASSERT_TRUE(WaitUntil([&] { return (started = FindMainWindow()).main != nullptr; }, 30000))
        << "the new version did not start from the finish page; windows: " << VisibleWindows();
    EXPECT_TRUE(SamePath(started.image, App())) << Narrow(started.image);
    const FileVersion installed = VersionOf(App());
    EXPECT_EQ(installed.product, m_next);
    EXPECT_EQ(installed.fixed.rfind(m_next + L".", 0), 0u) << Narrow(installed.fixed);
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), m_next);
    EXPECT_NE(ReadFileBytes(debugLog).find("Version=" + Narrow(m_version)), std::string::npos)
        << ReadFileBytes(debugLog);
    EXPECT_TRUE(CloseProgram(started));
    EXPECT_EQ(ReadFileBytes(Profile()), profile) << "the profile changed";
    {
        // The installed program now says the new version on its debugger output.
        const std::wstring nextLog = m_root.File(L"debug-next.log");
        AppProcess next(App(), m_root.Path(), L"", nextLog);
        ASSERT_TRUE(next.Started());
        Running again;
        ASSERT_TRUE(WaitUntil([&] { return (again = FindMainWindow()).main != nullptr; }, 30000));
        EXPECT_NE(ReadFileBytes(nextLog).find("Version=" + Narrow(m_next)), std::string::npos)
            << ReadFileBytes(nextLog);
        EXPECT_TRUE(CloseProgram(again));
    }
    EXPECT_EQ(ReadFileBytes(Profile()), profile) << "the profile changed";

    // Both shortcuts still start the program from its folder.
    for (const std::wstring& shortcut : {StartMenuShortcut(), DesktopShortcut()}) {
        SCOPED_TRACE(Narrow(shortcut.substr(shortcut.rfind(L'\\'))));
        ASSERT_TRUE(Exists(shortcut));
        ASSERT_GT(reinterpret_cast<INT_PTR>(
                      ShellExecuteW(nullptr, L"open", shortcut.c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
                  32);
        Running fromShortcut;
        ASSERT_TRUE(WaitUntil([&] { return (fromShortcut = FindMainWindow()).main != nullptr; }, 30000))
            << "the shortcut started nothing";
        EXPECT_TRUE(SamePath(fromShortcut.image, App())) << Narrow(fromShortcut.image);
        EXPECT_TRUE(CloseProgram(fromShortcut));
    }
    EXPECT_EQ(ReadFileBytes(Profile()), profile) << "the profile changed";
}

// Installed, registered, shortcuts made; a second install over the first and the
// uninstaller leave the merchant's files in Moravel\ as they were, and nothing else.
TEST_F(setup, install_again_then_uninstall_keeps_the_working_folder)
{
    // Each setup says which version it installs, as the program it carries does.
    EXPECT_EQ(VersionOf(m_setup).product, m_version);
    EXPECT_EQ(VersionOf(m_setupNext).product, m_next);
    // Both setups and what they install are signed by the release.
    EXPECT_EQ(TrustOf(m_setup), 0);
    EXPECT_EQ(TrustOf(m_setupNext), 0);
    ASSERT_EQ(InstallSilently(m_setup), 0u);
    EXPECT_EQ(VersionOf(App()).product, m_version);
    for (const wchar_t* file : {L"app\\Moravel.exe", L"app\\render-gdid.dll", L"app\\imgdecoder-gdipd.dll"})
        EXPECT_EQ(TrustOf(m_dir + L"\\" + file), 0) << Narrow(file);
    for (const wchar_t* file : {L"app\\Moravel.exe", L"app\\render-gdid.dll", L"app\\imgdecoder-gdipd.dll",
                                L"Moravel\\bizcard_frame.png", kUninstaller})
        EXPECT_TRUE(Exists(m_dir + L"\\" + file)) << Narrow(file);
    EXPECT_TRUE(Exists(StartMenuShortcut()));
    EXPECT_TRUE(Exists(DesktopShortcut()));
    EXPECT_EQ(UninstallValue(L"DisplayName"), kProduct);
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), m_version);
    EXPECT_TRUE(SamePath(UninstallValue(L"InstallLocation"), m_dir));
    EXPECT_FALSE(UninstallValue(L"UninstallString").empty());
    EXPECT_FALSE(UninstallValue(L"Publisher").empty());
    EXPECT_FALSE(UninstallValue(L"DisplayIcon").empty());
    DWORD size = 0, bytes = sizeof size;
    EXPECT_EQ(
        RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &size, &bytes),
        ERROR_SUCCESS);
    EXPECT_GT(size, 1000u) << "KiB";

    StoreMerchant();
    // The merchant's own card background stays too.
    ASSERT_TRUE(WriteFileBytes(m_dir + L"\\Moravel\\bizcard_frame.png", "the merchant's own"));
    std::vector<std::wstring> data;
    ListFiles(m_dir + L"\\Moravel", L"", data);
    std::vector<std::string> before;
    for (const std::wstring& file : data)
        before.push_back(ReadFileBytes(m_dir + L"\\Moravel\\" + file));

    ASSERT_EQ(InstallSilently(m_setupNext), 0u);
    EXPECT_EQ(VersionOf(App()).product, m_next);
    for (size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(ReadFileBytes(m_dir + L"\\Moravel\\" + data[i]), before[i]) << Narrow(data[i]);

    // Start with Windows as the tray menu writes it, disabled in Task Manager besides.
    const wchar_t* runKeys[] = {L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run"};
    const std::wstring command = L"\"" + App() + L"\" /autostart";
    const BYTE disabled[12] = {3};
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, runKeys[0], L"Moravel", REG_SZ, command.c_str(),
                              static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, runKeys[1], L"Moravel", REG_BINARY, disabled, sizeof(disabled)),
              ERROR_SUCCESS);

    ASSERT_TRUE(UninstallSilently());
    for (const wchar_t* key : runKeys)
        EXPECT_NE(RegGetValueW(HKEY_CURRENT_USER, key, L"Moravel", RRF_RT_ANY, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS)
            << "the uninstaller left the start with Windows";
    std::vector<std::wstring> left;
    ListFiles(m_dir, L"", left);
    std::sort(data.begin(), data.end());
    for (std::wstring& file : data)
        file = L"Moravel\\" + file;
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, data) << "left behind: " << left.size() << " files";
    for (size_t i = 0; i < data.size(); ++i)
        EXPECT_EQ(ReadFileBytes(m_dir + L"\\" + data[i]), before[i]) << Narrow(data[i]);
    EXPECT_FALSE(Exists(m_dir + L"\\app"));
    EXPECT_FALSE(Exists(StartMenuShortcut()));
    EXPECT_FALSE(Exists(DesktopShortcut()));
    EXPECT_FALSE(UninstallKeyExists());
}

// Installed, run, uninstalled: only the working folder remains, whatever the run wrote there.
TEST_F(setup, install_run_uninstall_leaves_no_program_file)
{
    ASSERT_EQ(InstallSilently(m_setup), 0u);
    StoreMerchant();
    auto standIn = StartStandIn();
    ASSERT_NE(standIn, nullptr);
    AppProcess app(App(), m_root.Path());
    Running running;
    ASSERT_TRUE(WaitUntil([&] { return (running = FindMainWindow()).main != nullptr; }, 30000));
    EXPECT_TRUE(CloseProgram(running));

    ASSERT_TRUE(UninstallSilently());
    std::vector<std::wstring> left;
    ListFiles(m_dir, L"", left);
    for (const std::wstring& file : left)
        EXPECT_EQ(file.rfind(L"Moravel\\", 0), 0u) << "left behind: " << Narrow(file);
    EXPECT_TRUE(Exists(Profile()));
    EXPECT_FALSE(Exists(m_dir + L"\\app"));
}

// A silent install while the program runs: the setup asks it to end, replaces the
// program and keeps the profile. A copy that does not end (here: its single-instance
// mutex held by us) makes the setup give up within its bound and change nothing.
TEST_F(setup, install_over_a_running_copy)
{
    ASSERT_EQ(InstallSilently(m_setup), 0u);
    StoreMerchant();
    const std::string profile = ReadFileBytes(Profile());
    auto standIn = StartStandIn();
    ASSERT_NE(standIn, nullptr);
    AppProcess app(App(), m_root.Path());
    Running running;
    ASSERT_TRUE(WaitUntil([&] { return (running = FindMainWindow()).main != nullptr; }, 30000));

    ASSERT_EQ(InstallSilently(m_setupNext), 0u);
    EXPECT_NE(app.WaitExit(0), STILL_ACTIVE) << "the running copy was not ended";
    EXPECT_EQ(VersionOf(App()).product, m_next);
    EXPECT_EQ(ReadFileBytes(Profile()), profile);

    KernelHandle mutex{CreateMutexW(nullptr, TRUE, L"Moravel")};
    ASSERT_TRUE(static_cast<bool>(mutex));
    const DWORD start = GetTickCount();
    EXPECT_EQ(InstallSilently(m_setup), 2u) << "the setup did not give up";
    EXPECT_LT(GetTickCount() - start, 60000u);
    EXPECT_EQ(VersionOf(App()).product, m_next) << "files were replaced under a running copy";
    EXPECT_EQ(UninstallValue(L"DisplayVersion"), m_next);
}

// The uninstaller's own page: with its one box ticked (Space on the list, then Enter
// for "卸载") the merchant's data goes too, and the install folder with it.
// What the merchant is left with after a setup that did not finish: the installed
// program, byte for byte, starting as before with its profile.
class broken_setup : public setup {
protected:
    void SetUp() override
    {
        setup::SetUp();
        if (!HasFatalFailure())
            Install();
    }

    // This version installed in m_dir, with a merchant's profile.
    void Install()
    {
        ASSERT_EQ(InstallSilently(m_setup), 0u);
        StoreMerchant();
        for (const wchar_t* file : kProgramFiles)
            m_before.push_back(ReadFileBytes(m_dir + L"\\app\\" + file));
        m_profile = ReadFileBytes(Profile());
    }

    // The installed files as they were (the first `unchanged` of kProgramFiles: the
    // program itself comes first), and the program starting from them (its window up,
    // then ended).
    void ExpectOldProgramIntact(size_t unchanged = 3)
    {
        for (size_t i = 0; i < unchanged; ++i)
            EXPECT_TRUE(ReadFileBytes(m_dir + L"\\app\\" + kProgramFiles[i]) == m_before[i])
                << Narrow(kProgramFiles[i]) << " changed";
        EXPECT_EQ(VersionOf(App()).product, m_version);
        EXPECT_EQ(ReadFileBytes(Profile()), m_profile);
        auto standIn = StartStandIn();
        ASSERT_NE(standIn, nullptr);
        AppProcess app(App(), m_root.Path());
        Running running;
        EXPECT_TRUE(WaitUntil([&] { return (running = FindMainWindow()).main != nullptr; }, 30000))
            << "the program did not start";
        EXPECT_TRUE(SamePath(running.image, App())) << Narrow(running.image);
    }

    // Then a setup that can do its work completes it.
    void ExpectNextSetupCompletes()
    {
        ASSERT_EQ(InstallSilently(m_setupNext), 0u);
        EXPECT_EQ(VersionOf(App()).product, m_next);
        EXPECT_EQ(ReadFileBytes(Profile()), m_profile);
        EXPECT_FALSE(Exists(m_dir + L"\\app.new")) << "new files left beside the program";
        EXPECT_FALSE(Exists(m_dir + L"\\app.old")) << "old files left beside the program";
    }

    // The setup's log (UTF-16), as UTF-8.
    std::string SetupLog() const
    {
        const std::string bytes = ReadFileBytes(m_dir + L"\\setup.log");
        std::wstring text;
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1])
                                                                                    << 8);
        char buf[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, buf, sizeof buf - 1, nullptr, nullptr);
        return buf;
    }

    static constexpr const wchar_t* kProgramFiles[] = {L"Moravel.exe", L"render-gdid.dll", L"imgdecoder-gdipd.dll"};
    std::vector<std::string> m_before;
    std::string m_profile;
};

// The next setup ended from outside (Task Manager, a power cut) at points of its work:
// while it writes the new files beside the old ones, once they are all there, and in the
// middle of the swap. The setup stops at a point named in its environment, to be killed
// there.
TEST_F(broken_setup, killed_at_any_point_leaves_the_old_program)
{
    for (const wchar_t* point : {L"after-first-file", L"after-last-file", L"during-swap"}) {
        SCOPED_TRACE(Narrow(point));
        const std::wstring paused = m_root.File(L"paused");
        DeleteFileW(paused.c_str());
        SetEnvironmentVariableW(L"LUMORA_SETUP_PAUSE_AT", point);
        SetEnvironmentVariableW(L"LUMORA_SETUP_PAUSED", paused.c_str());
        {
            AppProcess next(m_setupNext, L"", L"/S /D=" + m_dir);
            SetEnvironmentVariableW(L"LUMORA_SETUP_PAUSE_AT", nullptr);
            SetEnvironmentVariableW(L"LUMORA_SETUP_PAUSED", nullptr);
            ASSERT_TRUE(WaitUntil([&] { return Exists(paused); }, 60000)) << "the setup never got there";
        }  // killed
        // As the merchant finds it: the program of before. During the swap a plug-in may
        // already be the new one; the program itself is replaced last, by one rename.
        ExpectOldProgramIntact(std::wstring(point) == L"during-swap" ? 1 : 3);
        if (HasFatalFailure())
            return;
    }
    ExpectNextSetupCompletes();
}

// A file of the program held open by another process without delete sharing (a virus
// scanner, a backup tool) cannot be replaced: nothing is, the setup says why (in silent
// mode: exit code 3 and a line in setup.log), and runs through once the file is free.
TEST_F(broken_setup, locked_file_leaves_the_old_program_and_says_so)
{
    {
        KernelHandle held{CreateFileW(App().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr)};
        ASSERT_TRUE(static_cast<bool>(held));
        EXPECT_EQ(InstallSilently(m_setupNext), 3u);
    }
    const std::string log = SetupLog();
    EXPECT_NE(log.find("app\\Moravel.exe"), std::string::npos) << log;
    EXPECT_NE(log.find("占用"), std::string::npos) << log;
    EXPECT_FALSE(Exists(m_dir + L"\\app.new"));
    EXPECT_FALSE(Exists(m_dir + L"\\app.old"));
    EXPECT_FALSE(Exists(m_dir + L"\\Moravel\\setup.log")) << "the working folder was written";
    ExpectOldProgramIntact();
    if (HasFatalFailure())
        return;
    ExpectNextSetupCompletes();
}

// On a small disk of its own (E2E_TINY_DISK, made by tests/e2e/tiny-disk.sh where the
// machine lets it mount one).
class full_disk_setup : public broken_setup {
protected:
    void SetUp() override
    {
        setup::SetUp();
        if (HasFatalFailure())
            return;
        m_disk = FromHostPath(L"E2E_TINY_DISK");
        if (!Exists(m_disk + L"\\mounted"))
            GTEST_SKIP() << "no small disk of its own here (tests/e2e/tiny-disk.sh could not mount one)";
        m_dir = m_disk + L"\\Lumora";
        Install();
    }
    void TearDown() override
    {
        DeleteFileW((m_disk + L"\\filler").c_str());
        broken_setup::TearDown();
    }

    // Fills the disk but for `leave` bytes.
    void Fill(ULONGLONG leave)
    {
        ULARGE_INTEGER free = {};
        ASSERT_TRUE(GetDiskFreeSpaceExW(m_disk.c_str(), &free, nullptr, nullptr));
        ASSERT_GT(free.QuadPart, leave);
        KernelHandle filler{
            CreateFileW((m_disk + L"\\filler").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)};
        ASSERT_TRUE(static_cast<bool>(filler));
        const std::string block(64 * 1024, 'x');
        for (ULONGLONG left = free.QuadPart - leave; left >= block.size(); left -= block.size()) {
            DWORD written = 0;
            ASSERT_TRUE(WriteFile(filler.Get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr));
        }
    }

    std::wstring m_disk;
};

// The disk fills while the new files are written: the setup stops before it has
// changed anything, and says so.
TEST_F(full_disk_setup, full_disk_leaves_the_old_program_and_says_so)
{
    // Room for a line of the log, not for the program a second time.
    Fill(256 * 1024);
    EXPECT_EQ(InstallSilently(m_setupNext), 3u);
    const std::string log = SetupLog();
    EXPECT_NE(log.find("磁盘已满"), std::string::npos) << log;
    EXPECT_FALSE(Exists(m_dir + L"\\app.new"));
    ExpectOldProgramIntact();
    if (HasFatalFailure())
        return;
    DeleteFileW((m_disk + L"\\filler").c_str());
    ExpectNextSetupCompletes();
}

TEST_F(setup, uninstall_with_the_box_ticked_removes_the_data)
{
    ASSERT_EQ(InstallSilently(m_setup), 0u);
    StoreMerchant();
    AppProcess uninstaller(Uninstaller(), L"");
    ASSERT_TRUE(uninstaller.Started());
    HWND wizard = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (wizard = FindWizard(std::wstring(kProduct) + L" 卸载")) != nullptr; }, 30000))
        << "the uninstaller's pages did not appear; windows: " << VisibleWindows();
    ASSERT_TRUE(WaitUntil([&] { return ChildText(wizard, IDOK).find(L"卸载") != std::wstring::npos; }, 10000));
    HWND list = PageControl(wizard, L"SysTreeView32");
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(PressKey(wizard, VK_SPACE));
    ASSERT_TRUE(PressKey(wizard, VK_RETURN));
    EXPECT_TRUE(WaitUntil([&] { return !Exists(m_dir); }, 60000)) << "the folder stayed";
    EXPECT_FALSE(Exists(StartMenuShortcut()));
    EXPECT_FALSE(UninstallKeyExists());
}
