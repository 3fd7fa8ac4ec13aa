#include "engine/skins/SScaledImage.h"
#include <cstdlib>
#include "engine/core/SResProviderMgr.h"

namespace SOUI {

bool SScaledImage::Load(const std::wstring& resId)
{
    Set(nullptr);
    auto* mgr = SResProviderMgr::getSingletonPtr();
    IBitmap* bmp = mgr ? mgr->LoadImage2(resId) : nullptr;
    if (!bmp)
        return false;
    SResProviderMgr::SplitResId(resId, m_type, m_name, L"IMG");
    m_versions[0].bmp = bmp;
    m_versions[0].state = 1;
    m_versions[1].state = m_versions[2].state = 0;
    return true;
}

void SScaledImage::Set(IBitmap* bmp)
{
    m_type.clear();
    m_name.clear();
    m_versions[0].bmp = bmp;
    m_versions[0].state = bmp ? 1 : -1;
    for (int i = 1; i < 3; ++i) {
        m_versions[i].bmp = nullptr;
        m_versions[i].state = -1;
    }
}

IBitmap* SScaledImage::Pick(int dpi, int baseScale, int& scale)
{
    scale = baseScale;
    if (!Base())
        return nullptr;
    if (dpi <= 0)
        dpi = 96;
    auto* mgr = SResProviderMgr::getSingletonPtr();
    // Compared in 1/96 percent, so 125 % finds 100 % and 150 % equally near.
    const long long want = 100LL * dpi;
    Version* best = &m_versions[0];
    long long bestGap = std::llabs(96LL * baseScale - want);
    for (int i = 1; i < 3; ++i) {
        Version& v = m_versions[i];
        if (v.scale == baseScale)
            continue;
        if (v.state == 0) {
            std::wstring name = m_name + L"_" + std::to_wstring(v.scale);
            v.state = mgr && mgr->HasResource(m_type, name) ? 1 : -1;
        }
        if (v.state != 1)
            continue;
        long long gap = std::llabs(96LL * v.scale - want);
        if (gap < bestGap || (gap == bestGap && v.scale > best->scale)) {
            best = &v;
            bestGap = gap;
        }
    }
    if (best != &m_versions[0] && !best->bmp) {
        best->bmp = mgr->LoadImage2(m_type + L":" + m_name + L"_" + std::to_wstring(best->scale));
        if (!best->bmp) {
            // Present but undecodable: logged once by the loader; the base picture stands in.
            best->state = -1;
            return Base();
        }
    }
    scale = best == &m_versions[0] ? baseScale : best->scale;
    return best->bmp;
}

int ScaleLength(int v, int num, int den)
{
    if (den <= 0)
        return v;
    long long n = (long long)v * num;
    return int(n >= 0 ? (n + den / 2) / den : -((-n + den / 2) / den));
}

}  // namespace SOUI
