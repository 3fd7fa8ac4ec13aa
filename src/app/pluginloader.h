#pragma once
#include <windows.h>
#include <string>
#include "base/handle.h"
#include "engine/core/IRender.h"

// Loads the render and image-decoder plug-ins by file name and asks their "SCreateInstance"
// for the factories. Libraries stay loaded until the loader is destroyed.
class CPluginLoader {
public:
    // The image decoder's base name; the library is that name followed by "d.dll".
    explicit CPluginLoader(const wchar_t* imgDecoderName = nullptr);
    ~CPluginLoader();
    CPluginLoader(const CPluginLoader&) = delete;
    CPluginLoader& operator=(const CPluginLoader&) = delete;

    // Non-zero on success; *out then holds a new reference. Loads "render-gdid.dll".
    BOOL CreateRenderFactory(SOUI::IRenderFactory** out);
    BOOL CreateImgDecoderFactory(SOUI::IImgDecoderFactory** out);
    // Unloads every library, last slot first (the render plug-in before the image decoder).
    void Destroy();

private:
    enum Slot { kImgDecoder = 0, kRender = 1, kSlotCount = 7 };
    struct PluginSlot {
        LibraryHandle library;
        SOUI::FunSCreateInstance entry = nullptr;
        wchar_t path[MAX_PATH] = {};
    };
    BOOL CreateInstance(Slot slot, const std::wstring& file, SOUI::IObjRef** out);

    PluginSlot m_slots[kSlotCount];
    std::wstring m_imgDecoderName;
};
