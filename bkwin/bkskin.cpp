#include "bkwin/bkskin.h"

#include "bkwin/bkwndstate.h"

int CBkSkinBase::StateToIndex(unsigned stateFlags) {
    if (stateFlags & BkWndState_Disable) return 3;
    if (stateFlags & BkWndState_PushDown) return 2;
    if (stateFlags & BkWndState_Hover) return 1;
    return 0;
}
