#include "app/ABOUTUIHandler.h"

#include "app/MainWnd.h"
#include "bkwin/bknotify.h"

namespace {

constexpr int kMakePage = 0;
constexpr int kReadPage = 1;

}  // namespace

bool CABOUTUIHandler::ProcessWindowMessage(HWND, UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
    if (msg != WM_NOTIFY) return false;
    const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
    if (!hdr || hdr->idFrom != IDC_RICHVIEW_WIN || hdr->code != BKNM_COMMAND) return false;
    const int item = reinterpret_cast<const BKNMCOMMAND*>(lParam)->uItemID;
    if (item != IDC_LINK_MAKE && item != IDC_LINK_READ) return false;
    m_pMainWnd->SetTabCurSel(CTALVORINEXMainWnd::IDC_MAIN_TAB, item == IDC_LINK_MAKE ? kMakePage : kReadPage);
    result = 0;
    return true;
}
