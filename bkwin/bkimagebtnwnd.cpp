#include "bkwin/bkimagebtnwnd.h"

using namespace platform;

void CBkImageBtnWnd::OnPaint(HDC dc) {
    CBkSkinBase* skin = GetSkin();
    if (!skin) return;
    // Disabled is read through the parents, as the host treats a child of a disabled
    // container as disabled too.
    unsigned state = m_dwState;
    if (IsDisabled(true)) state |= BkWndState_Disable;
    skin->Draw(dc, m_rcWindow, CBkSkinBase::StateToIndex(state));
}
