#pragma once
#include "engine/SWindow.h"

namespace SOUI {

// A picture: a bitmap stretched to the widget, or one state of a skin (the icon index).
class SImageWnd : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SImageWnd, L"img")
    SImageWnd() { m_msgTransparent = true; }
    // nullptr removes the picture (the skin then shows again).
    void SetImage(IBitmap* bmp);
    IBitmap* GetImage() const { return m_image; }
    void SetIcon(int index);
    int GetIcon() const { return m_icon; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnPaint(IRenderTarget* rt) override;
    SIZE GetDesiredSize() override;

private:
    SAutoRefPtr<IBitmap> m_image;
    int m_icon = 0;
};

} // namespace SOUI
