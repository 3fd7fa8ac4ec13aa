#pragma once
#include <windows.h>
#include "engine/core/IRender.h"

namespace SOUI {

// Live GDI objects of this plug-in, by kind; read from outside through SGetGdiObjectCount.
void GdiCountCreated(GdiObjectKind kind);
void GdiCountDeleted(GdiObjectKind kind);
LONG GdiCountLive(int kind);

}  // namespace SOUI
