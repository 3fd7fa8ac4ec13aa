#pragma once
#include "engine/core/IRender.h"

namespace SOUI {

// Widget state bits.
enum {
    WndState_Normal = 0x00,
    WndState_Hover = 0x01,
    WndState_PushDown = 0x02,
    WndState_Check = 0x04,
    WndState_Invisible = 0x08,
    WndState_Disable = 0x10,
};

// State index of four-state skins: disabled 3, pushed or checked 2, hover 1, else 0.
inline int StateToIndex(DWORD state)
{
    if (state & WndState_Disable)
        return 3;
    if (state & (WndState_PushDown | WndState_Check))
        return 2;
    if (state & WndState_Hover)
        return 1;
    return 0;
}

struct ISkinObj : IObjRef {
    void DrawByIndex(IRenderTarget* rt, const RECT& rc, int index) { DrawByIndex(rt, rc, index, GetAlpha()); }
    void DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) { _DrawByIndex(rt, rc, index, alpha); }
    void DrawByState(IRenderTarget* rt, const RECT& rc, DWORD state) { DrawByIndex(rt, rc, StateToIndex(state)); }
    virtual SIZE GetSkinSize() = 0;
    virtual int GetStates() = 0;
    virtual BYTE GetAlpha() const = 0;
    virtual void SetAlpha(BYTE alpha) = 0;
    // Text colour the skin asks for in a state; CR_INVALID when it has no opinion.
    virtual COLORREF GetTextColor(int) { return CR_INVALID; }

protected:
    // An index beyond the skin's states draws state 0.
    virtual void _DrawByIndex(IRenderTarget* rt, const RECT& rc, int index, BYTE alpha) = 0;
};

}  // namespace SOUI
