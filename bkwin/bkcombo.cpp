#include "bkwin/bkcombo.h"

#include <tinyxml.h>

#include "bkres/bkfontpool.h"
#include "bkres/bkvaluesyntax.h"
#include "bkwin/bkrealwnd.h"
#include "bkwin/bknotify.h"
#include "platform/controls.h"
#include "platform/text.h"

using namespace platform;

CbkCombo::~CbkCombo() { OnDestroy(); }

bool CbkCombo::Load(const TiXmlElement* element) {
    if (!CBkWindow::Load(element)) return false;
    m_vecItems.clear();
    for (const TiXmlElement* e = element->FirstChildElement("item"); e; e = e->NextSiblingElement("item")) {
        const char* text = e->GetText();
        m_vecItems.push_back(text ? utf8ToUtf16(text) : std::u16string());
    }
    return true;
}

bool CbkCombo::SetAttribute(const std::string& name, const std::string& value, bool loading) {
    if (CBkWindow::SetAttribute(name, value, loading)) return true;
    if (name != "defaultfont") return false;
    m_nDefaultFont = BkParseHex(value) & 0xFFFF;
    return true;
}

HWND CbkCombo::CreateComboWindow() {
    if (m_hWndCombo && IsWindow(m_hWndCombo)) return m_hWndCombo;
    m_hWndCombo = nullptr;
    if (!m_hWndContainer || !IsWindow(m_hWndContainer)) return nullptr;
    HWND combo = CreateWindowEx(0, kComboBoxClass, u"", WS_CHILD | WS_TABSTOP | CBS_DROPDOWN | CBS_AUTOHSCROLL,
                                m_rcWindow.left, m_rcWindow.top, RectWidth(m_rcWindow), RectHeight(m_rcWindow),
                                m_hWndContainer, m_uCmdID, nullptr);
    if (!combo) return nullptr;
    m_hWndCombo = combo;
    SetWindowFont(combo, BkFontPool::GetFont(static_cast<uint16_t>(m_nDefaultFont)), false);
    for (const std::u16string& item : m_vecItems) ComboBox_AddString(combo, item);
    SetWindowText(combo, m_strInnerText);
    if (IsVisible(true)) ShowWindow(combo, SW_SHOWNOACTIVATE);
    return combo;
}

std::u16string CbkCombo::GetText() const {
    if (m_hWndCombo && IsWindow(m_hWndCombo)) return GetWindowText(m_hWndCombo);
    return m_strInnerText;
}

void CbkCombo::SetInnerText(const std::u16string& text) {
    CBkWindow::SetInnerText(text);
    if (m_hWndCombo && IsWindow(m_hWndCombo)) SetWindowText(m_hWndCombo, text);
}

void CbkCombo::OnWindowPosChanged(const BkWindowPos& pos) {
    const RECT old = m_rcWindow;
    CBkWindow::OnWindowPosChanged(pos);
    const bool created = m_hWndCombo == nullptr;
    HWND combo = CreateComboWindow();
    if (!combo || (!created && old == m_rcWindow)) return;
    CBkRealWnd::PlaceHostedWindow(m_hWndContainer, m_uCmdID, combo, m_rcWindow, false);
}

void CbkCombo::OnShowWindow(bool show, LPARAM status) {
    CBkWindow::OnShowWindow(show, status);
    if (m_hWndCombo) ShowWindow(m_hWndCombo, show && IsVisible(true) ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void CbkCombo::OnDestroy() {
    HWND combo = m_hWndCombo;
    m_hWndCombo = nullptr;
    if (combo && IsWindow(combo)) DestroyWindow(combo);
}
