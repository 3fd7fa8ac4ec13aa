#pragma once
#include <oleacc.h>
#include "engine/widgets/SWindow.h"

namespace SOUI {

// Text; mouse clicks pass through to the widget below.
class SStatic : public SWindow {
public:
    using Base = SWindow;
    SOUI_CLASS_NAME(SStatic, L"text")
    SStatic() { m_msgTransparent = true; }
    DWORD GetAccState() const override { return Base::GetAccState() | STATE_SYSTEM_READONLY; }

protected:
    LONG DefaultAccRole() const override { return ROLE_SYSTEM_STATICTEXT; }
};

}  // namespace SOUI
