#pragma once
#include <string>
#include "engine/core/IRender.h"

namespace SOUI {

// A picture with the versions drawn for larger displays: "img:NAME" and, where the resources
// have them, "img:NAME_150" and "img:NAME_200". Versions are decoded when first drawn.
class SScaledImage {
public:
    // False (and nothing held) when the picture is missing or undecodable.
    bool Load(const std::wstring& resId);
    // A picture of its own, without other versions (nullptr: none).
    void Set(IBitmap* bmp);
    IBitmap* Base() const { return m_versions[0].bmp; }
    // The version nearest dpi; ties go to the larger one, which loses less when scaled down.
    // baseScale: the display scale in percent the base picture is drawn for. scale: the picked
    // version's.
    IBitmap* Pick(int dpi, int baseScale, int& scale);

private:
    struct Version {
        int scale;
        SAutoRefPtr<IBitmap> bmp;
        int state;  // 0 not looked for, 1 present (decoded when picked), -1 absent
    };
    std::wstring m_type, m_name;
    Version m_versions[3] = {{100, nullptr, -1}, {150, nullptr, 0}, {200, nullptr, 0}};
};

// v * num / den, halves away from zero (as the layout rounds); v when den is not positive.
int ScaleLength(int v, int num, int den);
// A length of a picture drawn for pictureScale percent, in pixels of a dpi display.
inline int ToDeviceLength(int v, int dpi, int pictureScale)
{
    return ScaleLength(v, dpi > 0 ? dpi * 100 : 9600, 96 * pictureScale);
}

}  // namespace SOUI
