#pragma once
#include <windows.h>

#include <memory>

#include "app/pluginloader.h"
#include "engine/SEngine.h"

// The UI engine as the program runs it: plug-ins, the engine, the custom classes, the
// program's resources and the named widget ids. Members are released in reverse order:
// engine, resources, render factory, image decoder, and the plug-in libraries last.
class CUiEngine {
public:
    CUiEngine() = default;
    CUiEngine(const CUiEngine&) = delete;
    CUiEngine& operator=(const CUiEngine&) = delete;

    // False (after a diagnostic line) when there is no render factory: nothing can be drawn.
    // Once it returned true, the engine's parts are there until this object goes.
    bool Init(HINSTANCE instance);

    SOUI::SEngine& Engine() { return *m_engine; }

private:
    CPluginLoader m_plugins;
    SOUI::SAutoRefPtr<SOUI::IImgDecoderFactory> m_decoder;
    SOUI::SAutoRefPtr<SOUI::IRenderFactory> m_render;
    SOUI::SAutoRefPtr<SOUI::IResProvider> m_resources;
    std::unique_ptr<SOUI::SEngine> m_engine;
};
