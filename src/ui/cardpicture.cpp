#include "cardpicture.h"

#include <windows.h>
#include <objidl.h>
#include <shlwapi.h>
#include <gdiplus.h>

#include <memory>
#include <vector>

namespace {

bool FindEncoder(const wchar_t* mime, CLSID& clsid)
{
    UINT count = 0, bytes = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &bytes) != Gdiplus::Ok || bytes == 0)
        return false;
    std::vector<BYTE> buffer(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    if (Gdiplus::GetImageEncoders(count, bytes, codecs) != Gdiplus::Ok)
        return false;
    for (UINT i = 0; i < count; ++i) {
        if (codecs[i].MimeType && wcscmp(codecs[i].MimeType, mime) == 0) {
            clsid = codecs[i].Clsid;
            return true;
        }
    }
    return false;
}

std::unique_ptr<Gdiplus::Bitmap> LoadFile(const std::wstring& path)
{
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromFile(path.c_str()));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

struct StreamRelease {
    void operator()(IStream* s) const { s->Release(); }
};

std::unique_ptr<Gdiplus::Bitmap> LoadBuiltInBackground()
{
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, L"img_bizcardframe", L"IMG");
    HGLOBAL data = res ? LoadResource(module, res) : nullptr;
    const void* bytes = data ? LockResource(data) : nullptr;
    if (!bytes)
        return nullptr;
    std::unique_ptr<IStream, StreamRelease> stream(
        SHCreateMemStream(static_cast<const BYTE*>(bytes), SizeofResource(module, res)));
    if (!stream)
        return nullptr;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream.get()));
    if (!bitmap || bitmap->GetLastStatus() != Gdiplus::Ok)
        return nullptr;
    return bitmap;
}

bool Compose(const std::wstring& backgroundFile, const std::wstring& qrFile, const std::wstring& target)
{
    CLSID png;
    if (!FindEncoder(L"image/png", png))
        return false;
    std::unique_ptr<Gdiplus::Bitmap> background = LoadFile(backgroundFile);
    if (!background)
        background = LoadBuiltInBackground();
    std::unique_ptr<Gdiplus::Bitmap> qr = LoadFile(qrFile);
    if (!background || !qr)
        return false;

    const INT width = static_cast<INT>(background->GetWidth());
    const INT height = static_cast<INT>(background->GetHeight());
    Gdiplus::Bitmap card(width, height, PixelFormat32bppARGB);
    if (card.GetLastStatus() != Gdiplus::Ok)
        return false;
    {
        Gdiplus::Graphics g(&card);
        if (g.GetLastStatus() != Gdiplus::Ok)
            return false;
        if (g.DrawImage(background.get(), 0, 0, width, height) != Gdiplus::Ok)
            return false;
        if (g.DrawImage(qr.get(), 160, 325, 360, 360) != Gdiplus::Ok)
            return false;
    }
    return card.Save(target.c_str(), &png, nullptr) == Gdiplus::Ok;
}

}  // namespace

bool ComposeCardPicture(const std::wstring& backgroundFile, const std::wstring& qrFile, const std::wstring& target)
{
    if (Compose(backgroundFile, qrFile, target))
        return true;
    DeleteFileW(target.c_str());
    return false;
}
