#pragma once
#include <windows.h>

#include <memory>

#include "app/pluginloader.h"
#include "engine/core/IRender.h"
#include "engine/core/IResProvider.h"
#include "engine/core/SApplication.h"

// The UI engine as the program runs it: plug-ins, the application object, the custom
// classes, the system and application resources and the named widget ids. Members are
// released in reverse order: application, resources, render factory, image decoder,
// and the plug-in libraries last.
class CUiEngine {
public:
    CUiEngine() = default;
    CUiEngine(const CUiEngine&) = delete;
    CUiEngine& operator=(const CUiEngine&) = delete;

    // False (after a diagnostic line) when there is no render factory: nothing can be drawn.
    bool Init(HINSTANCE instance);

    SOUI::SApplication& App() { return *m_app; }

private:
    CPluginLoader m_plugins;
    SOUI::SAutoRefPtr<SOUI::IImgDecoderFactory> m_decoder;
    SOUI::SAutoRefPtr<SOUI::IRenderFactory> m_render;
    SOUI::SAutoRefPtr<SOUI::IResProvider> m_resources;
    std::unique_ptr<SOUI::SApplication> m_app;
};
