// Every shipped window built by the program's engine from its own resources, measured: the
// white panel sits in the shadow band's inner edge, the caption's colour spans the panel, and
// no widget (row templates included) reaches outside its parent, where it would be clipped.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <sstream>
#include <string>

#include "app/uiengine.h"
#include "engine/SEngine.h"
#include "engine/lists/SListView.h"
#include "extend.ctrls/sdropdownlist.h"
#include "extend.ctrls/searchevents.h"
#include "extend.ctrls/ssearchdropdownlist.h"

using namespace SOUI;

namespace {

constexpr int kShadowBand = 6;              // the layouts' host margin
constexpr DWORD kCaptionBlue = 0xFF2C7CE8;  // #2C7CE8, opaque, as the back buffer holds it

CUiEngine* Engine()
{
    static std::unique_ptr<CUiEngine> engine = [] {
        auto e = std::make_unique<CUiEngine>();
        if (!e->Init(GetModuleHandleW(nullptr)))
            e.reset();
        return e;
    }();
    return engine.get();
}

std::string Describe(SWindow* w)
{
    RECT rc = w->GetWindowRect();
    std::ostringstream s;
    std::wstring name = w->GetName();
    s << std::string(name.begin(), name.end()) << "(" << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom
      << ")";
    return s.str();
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// Every visible widget below w lies inside its parent's rectangle; the failures, one a line.
void CollectOverflow(SWindow* w, std::string& out)
{
    RECT outer = w->GetWindowRect();
    for (SWindow* c : w->GetChildren()) {
        if (!c->IsVisible())
            continue;
        if (!Inside(c->GetWindowRect(), outer))
            out += Describe(c) + " outside " + Describe(w) + "\n";
        CollectOverflow(c, out);
    }
}

// Rows of a list built from its template, the way an adapter of the program fills them.
class TemplateRows : public SAdapterBase {
public:
    int getCount() override { return 3; }
    void getView(int, SWindow* item, pugi::xml_node xmlTemplate) override
    {
        if (item->GetChildren().empty())
            item->InitFromXml(xmlTemplate);
        if (SWindow* t = item->FindChildByName(L"txt_key"))
            t->SetWindowTextW(L"上海ABC国际贸易有限公司");
        if (SWindow* t = item->FindChildByName(L"txt_time"))
            t->SetWindowTextW(L"12:00:00");
    }
};

class ShippedWindow {
public:
    explicit ShippedWindow(const wchar_t* layout) : host(std::make_unique<SHostWnd>(layout)) { host->Create(nullptr); }
    ~ShippedWindow() { host.reset(); }
    // Paints everything now and returns the back buffer's pixel (premultiplied 0xAARRGGBB).
    DWORD Pixel(int x, int y) const
    {
        IRenderTarget* rt = host->GetRenderTarget();
        auto* bits = reinterpret_cast<const DWORD*>(rt->GetCurrentBitmap()->GetPixelBits());
        return bits[y * rt->GetSize().cx + x];
    }
    void Paint() const
    {
        RECT rc;
        ::GetClientRect(host->m_hWnd, &rc);
        host->InvalidateRect(rc);
        host->UpdateNow();
    }
    std::unique_ptr<SHostWnd> host;
};

SWindow* FirstOfClass(SWindow* parent, const wchar_t* cls)
{
    for (SWindow* c : parent->GetChildren())
        if (std::wstring(c->GetObjectClass()) == cls)
            return c;
    return nullptr;
}

const wchar_t* const kWindows[] = {L"LAYOUT:XML_MAINWND", L"LAYOUT:LOGIN_FRAME", L"LAYOUT:BIZCARD_FRAME",
                                   L"LAYOUT:INPUT_FRAME", L"LAYOUT:XML_MSGBOX"};

}  // namespace

TEST(layout_geometry, panel_sits_on_the_shadow_bands_inner_edge)
{
    ASSERT_NE(Engine(), nullptr);
    for (const wchar_t* layout : kWindows) {
        SCOPED_TRACE(std::string(layout, layout + wcslen(layout)));
        ShippedWindow w(layout);
        ASSERT_NE(w.host->m_hWnd, nullptr);
        RECT client;
        ::GetClientRect(w.host->m_hWnd, &client);
        SWindow* root = w.host->GetRoot();
        ASSERT_FALSE(root->GetChildren().empty());
        SWindow* panel = root->GetChildren().front();
        RECT want = {kShadowBand, kShadowBand, client.right - kShadowBand, client.bottom - kShadowBand};
        RECT got = panel->GetWindowRect();
        EXPECT_TRUE(EqualRect(&got, &want)) << Describe(panel);
        EXPECT_EQ(panel->GetBkgndColor(), RGBA(255, 255, 255, 255));
    }
}

TEST(layout_geometry, caption_colour_runs_from_edge_to_edge_of_the_panel)
{
    ASSERT_NE(Engine(), nullptr);
    for (const wchar_t* layout : kWindows) {
        SCOPED_TRACE(std::string(layout, layout + wcslen(layout)));
        ShippedWindow w(layout);
        ASSERT_NE(w.host->m_hWnd, nullptr);
        SWindow* panel = w.host->GetRoot()->GetChildren().front();
        SWindow* caption = FirstOfClass(panel, L"caption");
        ASSERT_NE(caption, nullptr);
        RECT p = panel->GetWindowRect(), c = caption->GetWindowRect();
        EXPECT_EQ(c.left, p.left);
        EXPECT_EQ(c.right, p.right);
        EXPECT_EQ(c.top, p.top);
        w.Paint();
        // A row below the caption's widgets: only the caption's own colour shows there, from the
        // shadow band's inner edge on the left to the one on the right.
        RECT client;
        ::GetClientRect(w.host->m_hWnd, &client);
        int y = c.bottom - 2;
        EXPECT_EQ(w.Pixel(kShadowBand, y), kCaptionBlue);
        EXPECT_EQ(w.Pixel(client.right - kShadowBand - 1, y), kCaptionBlue);
        EXPECT_NE(w.Pixel(kShadowBand - 1, y), kCaptionBlue);
        EXPECT_NE(w.Pixel(client.right - kShadowBand, y), kCaptionBlue);
    }
}

TEST(layout_geometry, no_widget_reaches_outside_its_parent)
{
    ASSERT_NE(Engine(), nullptr);
    for (const wchar_t* layout : kWindows) {
        SCOPED_TRACE(std::string(layout, layout + wcslen(layout)));
        ShippedWindow w(layout);
        ASSERT_NE(w.host->m_hWnd, nullptr);
        std::string overflow;
        CollectOverflow(w.host->GetRoot(), overflow);
        EXPECT_EQ(overflow, "");
    }
}

TEST(layout_geometry, history_rows_keep_their_widgets_inside)
{
    ASSERT_NE(Engine(), nullptr);
    ShippedWindow w(L"LAYOUT:XML_MAINWND");
    auto* list = w.host->FindChildByName2<SListView>(L"lv_dropdown");
    ASSERT_NE(list, nullptr);
    SAutoRefPtr<TemplateRows> rows;
    rows.Attach(new TemplateRows);
    list->SetAdapter(rows);
    SItemPanel* row = list->GetItemPanel(0);
    ASSERT_NE(row, nullptr);
    RECT lr = list->GetWindowRect(), rr = row->GetWindowRect();
    EXPECT_EQ(rr.left, lr.left);
    EXPECT_LE(rr.right, lr.right);
    std::string overflow;
    CollectOverflow(row, overflow);
    EXPECT_EQ(overflow, "");
    list->SetAdapter(nullptr);
}

TEST(layout_geometry, search_popup_and_its_rows_keep_their_widgets_inside)
{
    ASSERT_NE(Engine(), nullptr);
    ShippedWindow w(L"LAYOUT:XML_MAINWND");
    auto* search = w.host->FindChildByName2<SSearchDropdownList>(L"edit_search");
    ASSERT_NE(search, nullptr);
    auto* edit = search->FindChildByName2<SEdit>(L"edit_input");
    ASSERT_NE(edit, nullptr);
    SAutoRefPtr<TemplateRows> rows;
    rows.Attach(new TemplateRows);
    w.host->AddEventHandler(EventFillSearchDropdownList::EventID, L"edit_search", [&](EventArgs* e) {
        auto* fill = static_cast<EventFillSearchDropdownList*>(e);
        auto* lv = fill->pDropdownList ? fill->pDropdownList->FindChildByName2<SListView>(L"lv_dropdown") : nullptr;
        if (lv) {
            lv->SetAdapter(rows);
            fill->bPopup = true;
        }
        return true;
    });
    SendMessageW(edit->GetNativeWnd(), WM_CHAR, L'a', 1);
    SDropdownList* popup = search->GetDropdownList();
    ASSERT_NE(popup, nullptr);
    RECT client;
    ::GetClientRect(popup->m_hWnd, &client);
    RECT root = popup->GetRoot()->GetWindowRect();
    EXPECT_TRUE(EqualRect(&root, &client));
    std::string overflow;
    CollectOverflow(popup->GetRoot(), overflow);
    SListView* list = popup->GetListView();
    ASSERT_NE(list, nullptr);
    SItemPanel* row = list->GetItemPanel(0);
    ASSERT_NE(row, nullptr);
    RECT lr = list->GetClientRect(), rr = row->GetWindowRect();
    EXPECT_EQ(rr.left, lr.left);
    EXPECT_LE(rr.right, lr.right);
    CollectOverflow(row, overflow);
    EXPECT_EQ(overflow, "");
    popup->EndDropDown(IDCANCEL);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
    EXPECT_FALSE(search->IsDroppedDown());
}
