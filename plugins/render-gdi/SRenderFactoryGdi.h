#pragma once
#include "engine/core/IRender.h"

namespace SOUI {

// Starts GDI+ for its own lifetime; every object it makes holds a reference on it.
class SRenderFactoryGdi : public TObjRefImpl<IRenderFactory> {
public:
    SRenderFactoryGdi();
    bool Started() const { return m_token != 0; }
    void SetImgDecoderFactory(IImgDecoderFactory* dec) override { m_decoder = dec; }
    IImgDecoderFactory* GetImgDecoderFactory() override { return m_decoder; }
    BOOL CreateRenderTarget(IRenderTarget** out, int cx, int cy) override;
    BOOL CreateBitmap(IBitmap** out, int cx, int cy) override;
    BOOL CreateBitmapFromMemory(IBitmap** out, const void* data, UINT size) override;
    BOOL CreateFont(IFont** out, const wchar_t* face, int size, BOOL bold, BOOL italic, BOOL underline) override;

private:
    ~SRenderFactoryGdi() override;
    ULONG_PTR m_token = 0;
    SAutoRefPtr<IImgDecoderFactory> m_decoder;
};

}  // namespace SOUI
