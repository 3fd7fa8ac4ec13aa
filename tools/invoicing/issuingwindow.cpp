#include "issuingwindow.h"

#include <algorithm>
#include <vector>

#include "fieldlog.h"

namespace {

const wchar_t kFrameClass[] = L"LumoraStandInIssuing";
const wchar_t kPanelClass[] = L"LumoraStandInPanel";

// Panel looks, kept in GWLP_USERDATA: plain panels draw nothing but their background.
enum PanelLook : LONG_PTR { kPlain = 0, kGroup = 1, kInvoiceFace = 2 };

HFONT g_font = nullptr;
HFONT g_titleFont = nullptr;
bool g_quitWhenLastClosed = false;
std::vector<HWND> g_windows;

HFONT MakeFont(int height, int weight)
{
    LOGFONTW font = {};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfCharSet = GB2312_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    // Wine has no YaHei; the fallback keeps the labels readable there.
    lstrcpynW(font.lfFaceName, L"Microsoft YaHei", LF_FACESIZE);
    HFONT made = CreateFontIndirectW(&font);
    return made;
}

HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent,
          const wchar_t* key, LONG_PTR look = kPlain)
{
    HWND window = CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window)
        return nullptr;
    SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), FALSE);
    if (look != kPlain)
        SetWindowLongPtrW(window, GWLP_USERDATA, look);
    WatchWindowText(window, key);
    return window;
}

HWND Panel(HWND parent, int x, int y, int w, int h, const wchar_t* text = L"", LONG_PTR look = kPlain)
{
    return Make(kPanelClass, text, WS_CLIPCHILDREN, x, y, w, h, parent, L"panel", look);
}

HWND Edit(HWND parent, const wchar_t* text, int x, int y, int w, int h, const wchar_t* key, bool readOnly = false)
{
    return Make(L"EDIT", text, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP | (readOnly ? ES_READONLY : 0), x, y, w, h,
                parent, key);
}

HWND Label(HWND parent, const wchar_t* text, int x, int y, int w, int h)
{
    return Make(L"STATIC", text, SS_RIGHT | SS_CENTERIMAGE, x, y, w, h, parent, L"label");
}

const int kRow = 26;

// HT fields of the invoice face, in child order of the fill target.
enum class Shape { LabelThenEdit, EditThenLabel };
struct HtField {
    const wchar_t* label;
    const wchar_t* key;
    const wchar_t* value;
    int x, y, w, labelWidth;
    Shape shape;
    bool readOnly;
};

const HtField kHtFields[] = {
    {L"发票代码", L"other", L"1100201130", 20, 56, 290, 70, Shape::LabelThenEdit, true},
    {L"发票号码", L"other", L"08865421", 320, 56, 290, 70, Shape::LabelThenEdit, true},
    {L"开票日期", L"other", L"2024年05月20日", 630, 56, 290, 70, Shape::LabelThenEdit, true},
    {L"校验码", L"other", L"61437 02958 11276 30484", 20, 86, 440, 70, Shape::LabelThenEdit, true},
    {L"机器编号", L"other", L"661512345678", 480, 86, 440, 70, Shape::LabelThenEdit, true},
    {L"货物或应税劳务名称", L"other", L"*信息技术服务*软件维护", 20, 262, 330, 140, Shape::LabelThenEdit, false},
    {L"规格型号", L"other", L"", 360, 262, 150, 70, Shape::LabelThenEdit, false},
    {L"单位", L"other", L"项", 520, 262, 100, 40, Shape::LabelThenEdit, false},
    {L"数量", L"other", L"1", 630, 262, 110, 40, Shape::LabelThenEdit, false},
    {L"单价", L"other", L"1000.00", 750, 262, 170, 40, Shape::LabelThenEdit, false},
    {L"金额", L"other", L"1000.00", 20, 296, 200, 40, Shape::LabelThenEdit, false},
    {L"税率", L"other", L"6%", 230, 296, 120, 40, Shape::LabelThenEdit, false},
    {L"税额", L"other", L"60.00", 360, 296, 180, 40, Shape::LabelThenEdit, false},
    {L"价税合计", L"other", L"￥1060.00", 550, 296, 370, 70, Shape::LabelThenEdit, true},
    {L"备注", L"other", L"", 650, 354, 270, 40, Shape::LabelThenEdit, false},
    {L"收款人", L"other", L"", 20, 490, 200, 60, Shape::LabelThenEdit, false},
    // #17 and #18: seller tax code and name, read through their first child.
    {L"纳税人识别号", L"seller.tax", nullptr, 90, 384, 540, 110, Shape::EditThenLabel, true},
    {L"名    称", L"seller.name", nullptr, 90, 354, 540, 110, Shape::EditThenLabel, true},
    // #19 to #22: the buyer block, written through the second child.
    {L"开户行及账号", L"buyer.bank", L"", 90, 212, 540, 110, Shape::LabelThenEdit, false},
    {L"纳税人识别号", L"buyer.tax", L"", 90, 152, 540, 110, Shape::LabelThenEdit, false},
    {L"地址、电话", L"buyer.address", L"", 90, 182, 540, 110, Shape::LabelThenEdit, false},
    {L"名    称", L"buyer.name", L"", 90, 122, 540, 110, Shape::LabelThenEdit, false},
    {L"地址、电话", L"other", L"北京市海淀区中关村大街27号 010-62500000", 90, 414, 540, 110, Shape::LabelThenEdit,
     true},
    {L"开户行及账号", L"other", L"中国工商银行北京海淀支行 0200004509200123456", 90, 444, 540, 110,
     Shape::LabelThenEdit, true},
    {L"复核", L"other", L"", 240, 490, 200, 60, Shape::LabelThenEdit, false},
    {L"开票人", L"other", L"管理员", 460, 490, 200, 60, Shape::LabelThenEdit, false},
};

void BuildHtTree(HWND frame, const IssuingOptions& options, int width, int height)
{
    Panel(frame, 0, 0, 0, 0, L"工具条");
    HWND anchor = Panel(frame, 0, 0, width, height, options.noAnchor ? L"FPtiankai_old" : L"FPtiankai_new");
    if (options.emptyAnchor)
        return;
    HWND sheet = Panel(anchor, 0, 0, width, height, L"发票");
    HWND face =
        Panel(sheet, 0, 0, width, height, options.special ? L"增值税专用发票" : L"增值税普通发票", kInvoiceFace);
    int count = std::min<int>(options.targetChildren, sizeof kHtFields / sizeof kHtFields[0]);
    for (int i = 0; i < count; ++i) {
        const HtField& f = kHtFields[i];
        HWND box = Panel(face, f.x, f.y, f.w, kRow - 2);
        const wchar_t* value = f.value;
        if (!value)
            value = (i == 16) ? options.sellerTaxCode.c_str() : options.sellerName.c_str();
        bool buyer = i >= 18 && i <= 21;
        if (f.shape == Shape::EditThenLabel) {
            Edit(box, value, f.labelWidth, 0, f.w - f.labelWidth, kRow - 2, f.key, f.readOnly);
            Label(box, f.label, 0, 0, f.labelWidth - 6, kRow - 2);
        } else if (buyer && options.singleChildFields) {
            Edit(box, value, f.labelWidth, 0, f.w - f.labelWidth, kRow - 2, f.key, f.readOnly);
        } else {
            Label(box, f.label, 0, 0, f.labelWidth - 6, kRow - 2);
            Edit(box, value, f.labelWidth, 0, f.w - f.labelWidth, kRow - 2, f.key, f.readOnly);
        }
    }
}

// BW: frame > first > first > #4 > first > #2 > (#2 seller block, #3 buyer block).
void BuildBwTree(HWND frame, const IssuingOptions& options, int width, int height)
{
    HWND outer = Panel(frame, 0, 0, width, height);
    HWND body = Panel(outer, 0, 0, width, height);
    Panel(body, 0, 0, width, 48, options.special ? L"增值税专用发票" : L"增值税普通发票", kInvoiceFace);
    HWND header = Panel(body, 0, 48, width, 34);
    Label(header, L"发票代码", 10, 4, 70, kRow - 2);
    Edit(header, L"1100201130", 86, 4, 200, kRow - 2, L"other", true);
    Label(header, L"发票号码", 300, 4, 70, kRow - 2);
    Edit(header, L"08865421", 376, 4, 200, kRow - 2, L"other", true);
    Panel(body, 0, 0, 0, 0, L"工具条");
    if (options.shortTree)
        return;
    HWND main = Panel(body, 0, 82, width, height - 82);
    HWND sheet = Panel(main, 0, 0, width, height - 82);
    Label(sheet, L"购销双方", 0, 0, 0, 0);
    HWND parties = Panel(sheet, 0, 0, width, height - 82);

    HWND goods = Panel(parties, 20, 140, width - 40, 74, L"货物或应税劳务", kGroup);
    Label(goods, L"名称", 10, 28, 60, kRow - 2);
    Edit(goods, L"*信息技术服务*软件维护", 76, 28, 300, kRow - 2, L"other");
    Label(goods, L"金额", 390, 28, 60, kRow - 2);
    Edit(goods, L"1000.00", 456, 28, 150, kRow - 2, L"other");

    HWND seller = Panel(parties, 20, 222, width - 40, 132, L"销售方", kGroup);
    const int ex = 130, ew = 600;
    Edit(seller, options.sellerName.c_str(), ex, 20, ew, kRow - 2, L"seller.name", true);
    Edit(seller, options.sellerTaxCode.c_str(), ex, 46, ew, kRow - 2, L"seller.tax", true);
    Edit(seller, L"北京市海淀区中关村大街27号 010-62500000", ex, 72, ew, kRow - 2, L"other", true);
    Label(seller, L"", 0, 0, 0, 0);
    Edit(seller, options.sellerBankLine.c_str(), ex, 98, ew, kRow - 2, L"seller.bankline", true);
    Label(seller, L"名    称", 10, 20, 110, kRow - 2);
    Label(seller, L"纳税人识别号", 10, 46, 110, kRow - 2);
    Label(seller, L"地址、电话", 10, 72, 110, kRow - 2);
    Label(seller, L"开户行及账号", 10, 98, 110, kRow - 2);

    HWND buyer = Panel(parties, 20, 6, width - 40, 128, L"购买方", kGroup);
    Edit(buyer, L"", ex, 46, ew, kRow - 2, L"buyer.tax");
    Edit(buyer, L"", ex, 20, ew, kRow - 2, L"buyer.name");
    HWND address = Panel(buyer, ex, 72, ew + 34, kRow - 2);
    Edit(address, L"", 0, 0, ew, kRow - 2, L"buyer.address");
    Make(L"BUTTON", L"…", 0, ew + 4, 0, 28, kRow - 2, address, L"other");
    HWND bank = Panel(buyer, ex, 98, ew + 34, kRow - 2);
    Edit(bank, L"", 0, 0, ew, kRow - 2, L"buyer.bank");
    Make(L"BUTTON", L"…", 0, ew + 4, 0, 28, kRow - 2, bank, L"other");
    Label(buyer, L"名    称", 10, 20, 110, kRow - 2);
    Label(buyer, L"纳税人识别号", 10, 46, 110, kRow - 2);
    Label(buyer, L"地址、电话", 10, 72, 110, kRow - 2);
    Label(buyer, L"开户行及账号", 10, 98, 110, kRow - 2);
}

void PaintPanel(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    LONG_PTR look = GetWindowLongPtrW(window, GWLP_USERDATA);
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    SetBkMode(dc, TRANSPARENT);
    if (look == kGroup) {
        HGDIOBJ oldFont = SelectObject(dc, g_font);
        RECT frame = client;
        frame.top += 8;
        SetDCBrushColor(dc, RGB(150, 100, 60));
        FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        RECT gap = {8, 0, 8 + 8 + 16 * lstrlenW(text), 18};
        FillRect(dc, &gap, GetSysColorBrush(COLOR_BTNFACE));
        RECT caption = {12, 0, 200, 18};
        SetTextColor(dc, RGB(150, 70, 20));
        DrawTextW(dc, text, -1, &caption, DT_LEFT | DT_SINGLELINE);
        SelectObject(dc, oldFont);
    } else if (look == kInvoiceFace) {
        HGDIOBJ oldFont = SelectObject(dc, g_titleFont);
        SetTextColor(dc, RGB(170, 60, 30));
        RECT title = {0, 8, client.right, 46};
        DrawTextW(dc, text, -1, &title, DT_CENTER | DT_SINGLELINE);
        SelectObject(dc, oldFont);
        if (client.bottom > 200) {
            SelectObject(dc, g_font);
            SetDCBrushColor(dc, RGB(150, 100, 60));
            HBRUSH edge = static_cast<HBRUSH>(GetStockObject(DC_BRUSH));
            const struct {
                int top, bottom;
                const wchar_t* name;
            } groups[] = {{114, 242, L"购买方"}, {254, 330, L""}, {346, 476, L"销售方"}};
            for (const auto& g : groups) {
                RECT box = {14, g.top, client.right - 14, g.bottom};
                FrameRect(dc, &box, edge);
                RECT caption = {18, g.top + 4, 86, g.top + 24};
                SetTextColor(dc, RGB(150, 70, 20));
                DrawTextW(dc, g.name, -1, &caption, DT_LEFT | DT_SINGLELINE);
            }
        }
    }
    EndPaint(window, &paint);
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        PaintPanel(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        // Read-only fields keep a white face, like the real form's.
        if (GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWL_STYLE) & ES_READONLY) {
            SetBkColor(dc, RGB(250, 250, 245));
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        }
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        if (g_quitWhenLastClosed && g_windows.empty())
            PostQuitMessage(0);
        return 0;
    case WM_DESTROY:
        g_windows.erase(std::remove(g_windows.begin(), g_windows.end(), window), g_windows.end());
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

std::wstring TitleFor(const IssuingOptions& options)
{
    if (options.hasTitle)
        return options.title;
    if (options.variant == Variant::Ht)
        return options.special ? L"开具增值税专用发票" : L"开具增值税普通发票";
    return options.special ? L"开票软件 - 增值税专用发票开具 [NO.00000001]"
                           : L"开票软件 - 增值税普通发票开具 [NO.00000001]";
}

}  // namespace

bool RegisterIssuingClasses(HINSTANCE instance)
{
    g_font = MakeFont(-14, FW_NORMAL);
    g_titleFont = MakeFont(-24, FW_BOLD);
    WNDCLASSEXW frame = {};
    frame.cbSize = sizeof frame;
    frame.lpfnWndProc = FrameProc;
    frame.hInstance = instance;
    frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    frame.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    frame.lpszClassName = kFrameClass;
    WNDCLASSEXW panel = frame;
    panel.lpfnWndProc = PanelProc;
    panel.lpszClassName = kPanelClass;
    return RegisterClassExW(&frame) && RegisterClassExW(&panel);
}

HWND CreateIssuingWindow(HINSTANCE instance, const IssuingOptions& options)
{
    const int width = 940;
    const int height = options.variant == Variant::Ht ? 530 : 440;
    RECT bounds = {0, 0, width, height};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRectEx(&bounds, style, FALSE, 0);
    int offset = static_cast<int>(g_windows.size()) * 30;
    std::wstring title = TitleFor(options);
    SetFieldLogEnabled(false);
    HWND frame =
        CreateWindowExW(0, kFrameClass, title.c_str(), style, 20 + offset, 20 + offset, bounds.right - bounds.left,
                        bounds.bottom - bounds.top, nullptr, nullptr, instance, nullptr);
    if (!frame)
        return nullptr;
    WatchWindowText(frame, L"frame");
    if (options.variant == Variant::Ht)
        BuildHtTree(frame, options, width, height);
    else
        BuildBwTree(frame, options, width, height);
    g_windows.push_back(frame);
    if (!options.hidden) {
        ShowWindow(frame, SW_SHOWNORMAL);
        UpdateWindow(frame);
    }
    SetFieldLogEnabled(true);
    return frame;
}

void DestroyAllIssuingWindows()
{
    std::vector<HWND> windows = g_windows;
    for (HWND window : windows)
        DestroyWindow(window);
    g_windows.clear();
}

void SetQuitWhenLastClosed(bool quit)
{
    g_quitWhenLastClosed = quit;
}
