#include "engine/core/SApplication.h"
#include <commctrl.h>
#include <algorithm>
#include "engine/host/CSimpleWnd.h"
#include "engine/widgets/SButton.h"
#include "engine/widgets/SCaption.h"
#include "engine/widgets/SCheckBox.h"
#include "engine/core/SDpi.h"
#include "engine/widgets/SEdit.h"
#include "engine/widgets/SImageButton.h"
#include "engine/widgets/SImageWnd.h"
#include "engine/skins/SSkinButton.h"
#include "engine/skins/SSkinImgFrame.h"
#include "engine/skins/SSkinScrollbar.h"
#include "engine/widgets/SStatic.h"
#include "engine/widgets/STabCtrl.h"
#include "engine/widgets/STabPage.h"

namespace SOUI {

namespace {
SApplication* g_app = nullptr;
}

void SObjectDefaultRegister::RegisterWindows(SObjectFactoryMgr& mgr) const
{
    mgr.Register<SWindow>();
    mgr.Register<SCaption>();
    mgr.Register<SStatic>();
    mgr.Register<SImageWnd>();
    mgr.Register<SButton>();
    mgr.Register<SImageButton>();
    mgr.Register<SEdit>();
    mgr.Register<STabCtrl>();
    mgr.Register<STabPage>();
    mgr.Register<SCheckBox>();
}

void SObjectDefaultRegister::RegisterSkins(SObjectFactoryMgr& mgr) const
{
    mgr.Register<SSkinImgList>();
    mgr.Register<SSkinImgFrame>();
    mgr.Register<SSkinButton>();
    mgr.Register<SSkinScrollbar>();
}

SApplication::SApplication(IRenderFactory* render, HINSTANCE hInst, const wchar_t* hostClassName,
                           const SObjectDefaultRegister& reg)
    : m_hInst(hInst ? hInst : GetModuleHandleW(nullptr)), m_render(render),
      m_hostClass(hostClassName && *hostClassName ? hostClassName : L"SOUIHOST"), m_fonts(render)
{
    g_app = this;
    // Windows are laid out at their own scale; a program without the manifest's declaration
    // would otherwise be stretched as a bitmap by the system.
    DeclareDpiAwareness();
    SetRenderFactoryForImages(render);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    CSimpleWnd::RegisterHostClass(m_hInst, m_hostClass.c_str());
    if (m_render) m_render->CreateRenderTarget(m_measure.Out(), 1, 1);
    reg.RegisterWindows(*this);
    reg.RegisterSkins(*this);
}

SApplication::~SApplication()
{
    m_measure = nullptr;
    if (g_app == this) g_app = nullptr;
}

SApplication* SApplication::getSingletonPtr() { return g_app; }

void SApplication::InitXmlNamedID(const SNamedID* table, int count, BOOL sorted)
{
    m_namedIds.clear();
    for (int i = 0; table && i < count; ++i)
        if (table[i].name) m_namedIds.emplace_back(table[i].name, table[i].id);
    if (!sorted || !std::is_sorted(m_namedIds.begin(), m_namedIds.end()))
        std::sort(m_namedIds.begin(), m_namedIds.end());
}

int SApplication::Name2ID(const std::wstring& name) const
{
    auto it = std::lower_bound(m_namedIds.begin(), m_namedIds.end(), name,
                               [](const std::pair<std::wstring, int>& e, const std::wstring& n) { return e.first < n; });
    return it != m_namedIds.end() && it->first == name ? it->second : 0;
}

std::wstring SApplication::ID2Name(int id) const
{
    for (const auto& e : m_namedIds)
        if (e.second == id) return e.first;
    return {};
}

BOOL SApplication::LoadSystemNamedResource(IResProvider* provider) { return provider != nullptr; }

bool SApplication::PumpOne(MSG& msg)
{
    if (GetMessageW(&msg, nullptr, 0, 0) <= 0) return false;
    // A filter may remove itself while it runs.
    std::vector<Filter> filters = m_filters;
    for (auto it = filters.rbegin(); it != filters.rend(); ++it) {
        if (it->depth != m_modalDepth) continue;
        if (std::none_of(m_filters.begin(), m_filters.end(), [&](const Filter& f) { return f.filter == it->filter; }))
            continue;
        if (it->filter->PreTranslateMessage(&msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

int SApplication::Run(HWND)
{
    MSG msg = {};
    while (PumpOne(msg)) {
    }
    return int(msg.wParam);
}

void SApplication::RunModalLoop(const bool& done)
{
    // A pop-up of the loop below would otherwise stay open, deaf, behind the modal window.
    std::vector<Filter> below = m_filters;
    for (const Filter& f : below)
        if (std::any_of(m_filters.begin(), m_filters.end(), [&](const Filter& g) { return g.filter == f.filter; }))
            f.filter->OnModalLoopStart();
    ++m_modalDepth;
    RunLoop(done);
    --m_modalDepth;
    // A filter added inside the loop that just ended (a pop-up opened beside the modal window)
    // serves the loop that goes on, or it would never run again.
    for (Filter& f : m_filters)
        if (f.depth > m_modalDepth) f.depth = m_modalDepth;
}

void SApplication::RunLoop(const bool& done)
{
    MSG msg = {};
    while (!done) {
        if (!PumpOne(msg)) {
            PostQuitMessage(int(msg.wParam));
            break;
        }
    }
}

void SApplication::AddMessageFilter(IMessageFilter* f)
{
    if (!f) return;
    if (std::none_of(m_filters.begin(), m_filters.end(), [&](const Filter& e) { return e.filter == f; }))
        m_filters.push_back(Filter{f, m_modalDepth});
}

void SApplication::RemoveMessageFilter(IMessageFilter* f)
{
    m_filters.erase(std::remove_if(m_filters.begin(), m_filters.end(), [&](const Filter& e) { return e.filter == f; }),
                    m_filters.end());
}

} // namespace SOUI
