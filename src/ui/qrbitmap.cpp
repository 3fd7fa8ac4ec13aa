#include "qrbitmap.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include <qrencode.h>

namespace {

constexpr int kModulePixels = 8;
constexpr uint32_t kHeaderBytes = 54;

void Put16(uint8_t* at, uint16_t v)
{
    at[0] = static_cast<uint8_t>(v);
    at[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct QrFree {
    void operator()(QRcode* code) const { QRcode_free(code); }
};

struct FileClose {
    void operator()(FILE* f) const { std::fclose(f); }
};

}  // namespace

int WriteQrBitmap(const std::string& text, const std::wstring& fileName)
{
    std::unique_ptr<QRcode, QrFree> code(QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_H, QR_MODE_8, 1));
    if (!code)
        return -3;

    const size_t modules = static_cast<size_t>(code->width);
    const size_t rowBytes = 3 * kModulePixels * modules;  // a multiple of 4: no row padding
    const size_t pixelBytes = rowBytes * kModulePixels * modules;

    std::vector<uint8_t> pixels;
    try {
        pixels.assign(pixelBytes, 0xFF);
    } catch (...) {
        return -1;
    }

    uint8_t header[kHeaderBytes] = {};
    Put16(header + 0, 0x4D42);
    Put32(header + 2, kHeaderBytes + static_cast<uint32_t>(pixelBytes));
    Put32(header + 10, kHeaderBytes);
    Put32(header + 14, 40);
    Put32(header + 18, static_cast<uint32_t>(kModulePixels * modules));
    // Negative height: the first stored row is the top of the symbol.
    Put32(header + 22, static_cast<uint32_t>(-static_cast<int32_t>(kModulePixels * modules)));
    Put16(header + 26, 1);
    Put16(header + 28, 24);

    const unsigned char* module = code->data;
    for (size_t i = 0; i < modules; ++i) {
        for (size_t j = 0; j < modules; ++j, ++module) {
            if (!(*module & 1))
                continue;
            uint8_t* block = pixels.data() + rowBytes * kModulePixels * i + 3 * kModulePixels * j;
            for (int y = 0; y < kModulePixels; ++y)
                std::fill_n(block + rowBytes * y, 3 * kModulePixels, 0);
        }
    }

    std::unique_ptr<FILE, FileClose> file(_wfopen(fileName.c_str(), L"wb"));
    if (!file)
        return -2;
    if (std::fwrite(header, 1, kHeaderBytes, file.get()) != kHeaderBytes ||
        std::fwrite(pixels.data(), 1, pixels.size(), file.get()) != pixels.size())
        return -2;
    return std::fclose(file.release()) == 0 ? 0 : -2;
}
