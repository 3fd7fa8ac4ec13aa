#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "tempdir.h"
#include "ui/cardpicture.h"
#include "ui/qrbitmap.h"
#include "ui/safename.h"

namespace {

class GdiplusEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        Gdiplus::GdiplusStartupInput input;
        Gdiplus::GdiplusStartup(&m_token, &input, nullptr);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(m_token); }

private:
    ULONG_PTR m_token = 0;
};
const auto* const g_gdiplus = ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);

uint32_t Read32(const std::string& b, size_t at)
{
    return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

bool SavePng(Gdiplus::Bitmap& bitmap, const std::wstring& path)
{
    UINT count = 0, bytes = 0;
    Gdiplus::GetImageEncodersSize(&count, &bytes);
    std::vector<BYTE> buf(bytes);
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buf.data());
    Gdiplus::GetImageEncoders(count, bytes, codecs);
    for (UINT i = 0; i < count; ++i)
        if (wcscmp(codecs[i].MimeType, L"image/png") == 0)
            return bitmap.Save(path.c_str(), &codecs[i].Clsid, nullptr) == Gdiplus::Ok;
    return false;
}

// A plain background in a colour the QR code never has.
void WriteBackground(const std::wstring& path, Gdiplus::Color colour)
{
    Gdiplus::Bitmap bg(683, 1024, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics g(&bg);
        Gdiplus::SolidBrush brush(colour);
        g.FillRectangle(&brush, 0, 0, 683, 1024);
    }
    ASSERT_TRUE(SavePng(bg, path));
}

bool IsDark(const Gdiplus::Color& c)
{
    return c.GetR() < 40 && c.GetG() < 40 && c.GetB() < 40 && c.GetA() == 255;
}

}  // namespace

TEST(qrbitmap_write, small_text_gives_21_module_top_down_bitmap)
{
    ScopedWorkDir dir;
    // Version 1 at level H holds 7 bytes: the smallest symbol, 21 modules wide.
    ASSERT_EQ(WriteQrBitmap("keyno=1", L"qr_1.bmp"), 0);
    const std::string b = ReadFileBytes(dir.File(L"qr_1.bmp"));
    ASSERT_EQ(b.size(), 84726u);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(Read32(b, 2), 84726u);
    EXPECT_EQ(Read32(b, 10), 54u);
    EXPECT_EQ(Read32(b, 14), 40u);
    EXPECT_EQ(Read32(b, 18), 168u);
    EXPECT_EQ(static_cast<int32_t>(Read32(b, 22)), -168);
    EXPECT_EQ(Read32(b, 28) & 0xFFFF, 24u);
    EXPECT_EQ(Read32(b, 30), 0u);

    const size_t row = 3 * 168;
    auto pixel = [&](size_t x, size_t y) { return b.substr(54 + row * y + 3 * x, 3); };
    const std::string black(3, '\0'), white(3, '\xFF');
    // Finder pattern: dark 7×7 ring in the top-left corner, light ring inside it.
    for (size_t y = 0; y < 8; ++y)
        for (size_t x = 0; x < 8; ++x)
            ASSERT_EQ(pixel(x, y), black) << x << "," << y;
    EXPECT_EQ(pixel(8 + 3, 8 + 3), white) << "module (1,1) of the finder is light";
    EXPECT_EQ(pixel(167, 0), black) << "top-right finder touches the edge: no quiet zone";
    EXPECT_EQ(pixel(8 * 7 + 3, 3), white) << "separator after the finder";
}

TEST(qrbitmap_write, failures_are_reported_by_code)
{
    ScopedWorkDir dir;
    EXPECT_EQ(WriteQrBitmap(std::string(3000, 'x'), L"big.bmp"), -3) << "too long for any version at level H";
    EXPECT_EQ(GetFileAttributesW(L"big.bmp"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(WriteQrBitmap("abc", L"no-such-dir\\qr.bmp"), -2);
    EXPECT_EQ(WriteQrBitmap("", L"empty.bmp"), -3) << "the encoder refuses empty text";
}

TEST(cardpicture_compose, qr_covers_its_square_on_the_background)
{
    ScopedWorkDir dir;
    WriteBackground(dir.File(L"bizcard_frame.png"), Gdiplus::Color(255, 200, 30, 30));
    ASSERT_EQ(WriteQrBitmap("http://h/fapiao/e.html?keyno=abc", L"qr_abc.bmp"), 0);
    ASSERT_TRUE(ComposeCardPicture(L"bizcard_frame.png", L"qr_abc.bmp", L"qr_abc.png"));

    Gdiplus::Bitmap card(dir.File(L"qr_abc.png").c_str());
    ASSERT_EQ(card.GetLastStatus(), Gdiplus::Ok);
    EXPECT_EQ(card.GetWidth(), 683u);
    EXPECT_EQ(card.GetHeight(), 1024u);
    struct Probe {
        INT x, y;
        bool dark;
    } probes[] = {
        {163, 328, true},   // top-left finder
        {516, 328, true},   // top-right finder, near x 519
        {163, 681, true},   // bottom-left finder, near y 684
        {156, 328, false},  // left of the square
        {523, 328, false},  // right of it
        {163, 688, false},  // below it
        {163, 321, false},  // above it
    };
    for (const Probe& p : probes) {
        Gdiplus::Color c;
        card.GetPixel(p.x, p.y, &c);
        EXPECT_EQ(IsDark(c), p.dark) << p.x << "," << p.y;
        if (!p.dark) {
            EXPECT_EQ(c.GetR(), 200) << p.x << "," << p.y;
        }
    }
}

TEST(cardpicture_compose, missing_background_falls_back_to_the_built_in_copy)
{
    ScopedWorkDir dir;
    ASSERT_EQ(WriteQrBitmap("k", L"qr_k.bmp"), 0);
    ASSERT_TRUE(ComposeCardPicture(L"bizcard_frame.png", L"qr_k.bmp", L"qr_k.png"));
    Gdiplus::Bitmap card(dir.File(L"qr_k.png").c_str());
    EXPECT_EQ(card.GetWidth(), 683u);
    Gdiplus::Color c;
    card.GetPixel(10, 10, &c);
    EXPECT_EQ(c.GetB(), 0xCC) << "the test program's built-in background is #3366CC";
}

TEST(cardpicture_compose, failure_leaves_no_stale_card)
{
    ScopedWorkDir dir;
    WriteFileBytes(dir.File(L"qr_old.png"), "an older card");
    WriteFileBytes(dir.File(L"qr_old.bmp"), "not a bitmap");
    EXPECT_FALSE(ComposeCardPicture(L"bizcard_frame.png", L"qr_old.bmp", L"qr_old.png"));
    EXPECT_EQ(GetFileAttributesW(L"qr_old.png"), INVALID_FILE_ATTRIBUTES);
}

TEST(safename_check, values_that_could_leave_the_folder_are_refused)
{
    struct Case {
        const wchar_t* value;
        bool safe;
    } cases[] = {
        {L"", true},       {L"0a1b2c3d4e5f60718293a4b5c6d7e8f9", true},
        {L"1.2.3", true},  {L"\u4E2D\u6587", true},
        {L"..", false},    {L"a..b", false},
        {L"..\\x", false}, {L"a/b", false},
        {L"C:x", false},   {L"a*b", false},
        {L"a?b", false},   {L"a|b", false},
        {L"a\"b", false},  {L"<a>", false},
        {L"a\nb", false},  {L"a\tb", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsSafeFileNamePart(c.value), c.safe) << "case of length " << wcslen(c.value);
}
