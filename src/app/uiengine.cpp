#include "app/uiengine.h"

#include <vector>

#include "app/customclasses.h"
#include "app/namedid.h"
#include "base/log.h"

using namespace SOUI;

namespace {

SAutoRefPtr<IResProvider> CreateExeResources(HINSTANCE instance)
{
    SAutoRefPtr<IResProvider> provider;
    if (CreateResProvider(RES_PE, provider.Out()))
        provider->Init(reinterpret_cast<WPARAM>(instance), 0);
    return provider;
}

}  // namespace

bool UiEngine::Init(HINSTANCE instance)
{
    if (!m_plugins.CreateRenderFactory(m_render.Out())) {
        DebugLine(L"load interface [render] failed!");
        return false;
    }
    if (!m_plugins.CreateImgDecoderFactory(m_decoder.Out()))
        DebugLine(L"load interface [imgdecoder] failed!");
    m_render->SetImgDecoderFactory(m_decoder);

    m_app = std::make_unique<SApplication>(m_render, instance, L"SOUIHOST");
    // Layouts name the custom classes, so they are known before the first layout loads.
    RegisterCustomClasses(*m_app);

    if (SAutoRefPtr<IResProvider> system = CreateExeResources(instance))
        m_app->LoadSystemNamedResource(system);

    m_resources = CreateExeResources(instance);
    std::vector<SNamedID> namedIds;
    for (size_t i = 0; i < kNamedWidgetIdCount; ++i)
        namedIds.push_back(SNamedID{kNamedWidgetIds[i].name, kNamedWidgetIds[i].id});
    m_app->InitXmlNamedID(namedIds.data(), static_cast<int>(namedIds.size()), TRUE);
    m_app->AddResProvider(m_resources, L"uidef:xml_init");
    return true;
}
