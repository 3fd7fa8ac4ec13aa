#pragma once
#include <string>
#include <vector>

// The two window-tree layouts of the invoicing program.
enum class Variant { Ht, Bw };

// How one issuing window is shaped; every field has a value that draws a normal window.
struct IssuingOptions {
    Variant variant = Variant::Ht;
    bool special = false;   // special invoice instead of ordinary
    bool hasTitle = false;  // title overrides the variant's own
    std::wstring title;
    int targetChildren = 26;         // HT: children of the fill target
    bool singleChildFields = false;  // HT: buyer containers hold only their EDIT
    bool noAnchor = false;           // HT: no child named as the anchor
    bool emptyAnchor = false;        // HT: the anchor has no children
    bool shortTree = false;          // BW: the node that needs four children has three
    bool hidden = false;             // never shown (tests: no X11 window to tear down)
    std::wstring sellerName = L"北京星辰示范科技有限公司";
    std::wstring sellerTaxCode = L"91110108MA01C8XK5W";
    std::wstring sellerBankLine = L"中国工商银行北京海淀支行0200004509200123456";
};

// Process-wide settings, plus the window opened at start.
struct StartOptions {
    IssuingOptions window;
    bool noWindow = false;  // start with no issuing window
    std::wstring logPath;   // where every WM_SETTEXT the tree receives is appended
};

// Reads flags (argv without the program name) over the defaults given; unknown
// flags and missing values are reported in error and leave the result unusable.
bool ParseStartOptions(const std::vector<std::wstring>& args, StartOptions& options, std::wstring& error);

// Splits a command line the way the program's own argv is split.
std::vector<std::wstring> SplitCommandLine(const std::wstring& line);

// The variant named by the program file: "kp.exe" is BW, anything else HT.
Variant VariantFromProgramName(const std::wstring& path);
