#include "engine/widgets/SCaption.h"
#include "engine/host/SHostWnd.h"

namespace SOUI {

void SCaption::OnLButtonDown(POINT)
{
    SHostWnd* host = GetHostWnd();
    if (!host || !host->m_hWnd || ::IsZoomed(host->m_hWnd))
        return;
    // The system's move loop takes the mouse from here; the host gets WM_CAPTURECHANGED.
    ReleaseCapture();
    host->SendMessageW(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

}  // namespace SOUI
