#pragma once
#include "engine/skins/SScaledImage.h"
#include "engine/widgets/SWindow.h"

namespace SOUI {

// A picture: a bitmap stretched to the widget, or one state of a skin (the icon index). A `src`
// picture is drawn in its version nearest the display scale; sampling="nearest" keeps a
// picture made of cells (a QR code) hard-edged instead of smoothing it.
class SImageWnd : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SImageWnd, L"img")
    SImageWnd() { m_msgTransparent = true; }
    // nullptr removes the picture (the skin then shows again).
    void SetImage(IBitmap* bmp);
    IBitmap* GetImage() const { return m_picture.Base(); }
    void SetIcon(int index);
    int GetIcon() const { return m_icon; }
    HRESULT SetAttribute(const std::wstring& name, const std::wstring& value, BOOL loading) override;
    void OnPaint(IRenderTarget* rt) override;
    SIZE GetDesiredSize() override;

protected:
    LONG DefaultAccRole() const override;

private:
    SScaledImage m_picture;
    bool m_nearest = false;
    int m_icon = 0;
};

}  // namespace SOUI
