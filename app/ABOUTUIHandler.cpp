#include "app/ABOUTUIHandler.h"

#include "app/MainWnd.h"
#include "bkwin/bknotify.h"

bool CABOUTUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != IDC_RICHVIEW_WIN || hdr->code != BKNM_COMMAND) return false;
    const int item = reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID;
    if (item != IDC_LINK_MAKE && item != IDC_LINK_READ) return false;
    m_pMainWnd->ShowPage(item == IDC_LINK_MAKE ? CTALVORINEXMainWnd::kMakePage : CTALVORINEXMainWnd::kReadPage);
    result = 0;
    return true;
}
