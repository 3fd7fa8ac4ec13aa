#pragma once
#include "engine/widgets/SWindow.h"

namespace SOUI {

// Text; mouse clicks pass through to the widget below.
class SStatic : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SStatic, L"text")
    SStatic() { m_msgTransparent = true; }
};

} // namespace SOUI
