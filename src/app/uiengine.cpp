#include "app/uiengine.h"

#include <vector>

#include "app/customclasses.h"
#include "app/namedid.h"
#include "base/log.h"

using namespace SOUI;

bool CUiEngine::Init(HINSTANCE instance)
{
    if (!m_plugins.CreateRenderFactory(m_render.Out())) {
        DebugLine(L"load interface [render] failed!");
        return false;
    }
    if (!m_plugins.CreateImgDecoderFactory(m_decoder.Out()))
        DebugLine(L"load interface [imgdecoder] failed!");
    m_render->SetImgDecoderFactory(m_decoder);

    m_engine = std::make_unique<SEngine>(m_render, instance, L"SOUIHOST");
    // Layouts name the custom classes, so they are known before the first layout loads.
    RegisterCustomClasses(m_engine->Factories());

    SResProviderMgr& resources = m_engine->Resources();
    if (CreateResProvider(RES_PE, m_resources.Out()))
        m_resources->Init(reinterpret_cast<WPARAM>(instance), 0);
    std::vector<SNamedID> namedIds;
    for (size_t i = 0; i < kNamedWidgetIdCount; ++i)
        namedIds.push_back(SNamedID{kNamedWidgetIds[i].name, kNamedWidgetIds[i].id});
    resources.InitXmlNamedID(namedIds.data(), static_cast<int>(namedIds.size()), TRUE);
    resources.AddResProvider(m_resources, L"uidef:xml_init");
    return true;
}
