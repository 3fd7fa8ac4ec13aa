#pragma once
#include "engine/core/IRender.h"

namespace SOUI {

// Decodes with GDI+ into premultiplied BGRA, the form the render plug-in blends and
// UpdateLayeredWindow expects.
class SImgDecoderFactoryGdip : public TObjRefImpl<IImgDecoderFactory> {
public:
    SImgDecoderFactoryGdip();
    bool Started() const { return m_token != 0; }
    BOOL DecodeImage(const void* data, UINT size, IImgFrame** out) override;

private:
    ~SImgDecoderFactoryGdip() override;
    ULONG_PTR m_token = 0;
};

}  // namespace SOUI
