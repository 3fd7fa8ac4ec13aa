#include "pluginloader.h"

CPluginLoader::CPluginLoader(const wchar_t* imgDecoderName)
    : m_imgDecoderName(imgDecoderName && *imgDecoderName ? imgDecoderName : L"imgdecoder-gdip")
{}

CPluginLoader::~CPluginLoader()
{
    Destroy();
}

void CPluginLoader::Destroy()
{
    for (int i = kSlotCount - 1; i >= 0; --i)
        m_slots[i] = PluginSlot();
}

BOOL CPluginLoader::CreateInstance(Slot slot, const std::wstring& file, SOUI::IObjRef** out)
{
    PluginSlot& s = m_slots[slot];
    if (!s.entry) {
        // The file name alone, so that the platform's search order applies.
        LibraryHandle lib(LoadLibraryW(file.c_str()));
        if (!lib)
            return FALSE;
        auto entry = reinterpret_cast<SOUI::FunSCreateInstance>(
            reinterpret_cast<void*>(GetProcAddress(lib.Get(), "SCreateInstance")));
        if (!entry)
            return FALSE;
        s.library = std::move(lib);
        s.entry = entry;
        lstrcpynW(s.path, file.c_str(), MAX_PATH);
    }
    return s.entry(out);
}

BOOL CPluginLoader::CreateRenderFactory(SOUI::IRenderFactory** out)
{
    if (!out)
        return FALSE;
    SOUI::IObjRef* obj = nullptr;
    if (!CreateInstance(kRender, L"render-gdid.dll", &obj) || !obj)
        return FALSE;
    *out = static_cast<SOUI::IRenderFactory*>(obj);
    return TRUE;
}

BOOL CPluginLoader::CreateImgDecoderFactory(SOUI::IImgDecoderFactory** out)
{
    if (!out)
        return FALSE;
    SOUI::IObjRef* obj = nullptr;
    if (!CreateInstance(kImgDecoder, m_imgDecoderName + L"d.dll", &obj) || !obj)
        return FALSE;
    *out = static_cast<SOUI::IImgDecoderFactory*>(obj);
    return TRUE;
}
