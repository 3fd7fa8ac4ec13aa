#include "engine/SEngine.h"
#include <commctrl.h>
#include "engine/core/SDpi.h"

namespace SOUI {

SEngine::SEngine(IRenderFactory* render, HINSTANCE hInst, const wchar_t* hostClassName) : m_resources(render)
{
    // Windows are laid out at their own scale; a program without the manifest's declaration
    // would otherwise be stretched as a bitmap by the system.
    DeclareDpiAwareness();
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    CSimpleWnd::SetHostClass(hInst ? hInst : GetModuleHandleW(nullptr),
                             hostClassName && *hostClassName ? hostClassName : L"SOUIHOST");
    RegisterEngineClasses(m_factories);
    m_resources.SetSkinTableReader([this](pugi::xml_node table) { m_skins.LoadSkins(table); });
}

SEngine::~SEngine()
{
    m_resources.SetSkinTableReader(nullptr);
}

}  // namespace SOUI
