// The element base class: a lightweight, windowless object with a rectangle, a style, a state
// and inner text, drawn into the device context of the real window that hosts its tree (the
// container) and fed mouse input by it.
#pragma once

#include <string>
#include <thread>

#include "bkwin/bkobject.h"
#include "bkwin/bkstyle.h"
#include "bkwin/bkwndpos.h"
#include "bkwin/bkwnds.h"
#include "bkwin/bkwndstate.h"
#include "bkres/bkplatform.h"

class CBkWindow;

// Called around an element's own painting. BeforePaint returning true cancels the element's
// own content painting (its background is already drawn).
class IBkWindowPaintHook {
public:
    virtual ~IBkWindowPaintHook() = default;
    virtual bool BeforePaint(CBkWindow* element, HDC dc) = 0;
    virtual void AfterPaint(CBkWindow* element, HDC dc) = 0;
};

// Notification codes elements and hosts exchange through WM_NOTIFY (host control id 1000).
inline constexpr int IDC_RICHVIEW_WIN = 1000;
inline constexpr UINT BKNM_INVALIDATERECT = 1000;

// Sent by an element to its container: invalidate `rect`.
struct BKNMINVALIDATERECT {
    NMHDR hdr;          // hwndFrom: the container; idFrom: the element's command id; code 1000
    BKWND hbkWnd;
    RECT rect;
};

// The window-position-changed message of an element: target top-left and the space available.
struct BkWindowPos {
    int x = 0, y = 0;
    int cx = 0, cy = 0;
};

// WM_SHOWWINDOW's second parameter when a container passes its own show or hide on to its
// children: they show or hide what they host (real windows) but keep their own state bit.
inline constexpr LPARAM BkShowFromParentClosing = 1;
inline constexpr LPARAM BkShowFromParentOpening = 3;

class CBkWindow : public CBkObject {
public:
    CBkWindow();
    ~CBkWindow() override;
    CBkWindow(const CBkWindow&) = delete;
    CBkWindow& operator=(const CBkWindow&) = delete;

    const char* GetObjectClass() const override { return "window"; }

    // Reads the inner text (with "%strN%" substitution), the attributes, `show`, `width`,
    // `height` and `float`, and settles the size.
    bool Load(const TiXmlElement* element) override;
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;

    // Stores the text; an automatic dimension follows the new natural size.
    virtual void SetInnerText(const std::u16string& text);
    // Sets the platform cursor to the style's (arrow or hand).
    virtual void SetCursor();
    virtual void SetContainer(HWND container);
    // Handle of the element under `pt` (container client coordinates), 0 if none.
    virtual BKWND HitTest(POINT pt);
    virtual bool NeedRedrawWhenStateChange();
    virtual bool IsContainer() const { return false; }
    // Paints the element if its rectangle meets `region` (nullptr: everything). Returns
    // whether it was painted.
    virtual bool RedrawRegion(HDC dc, HRGN region);
    // The element's message map; returns whether the message was handled.
    virtual bool ProcessMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Convenience: ProcessMessage with the result returned.
    LRESULT BkSendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    BKWND GetBkHWnd() const { return m_hBkWnd; }
    BKWND GetParent() const { return m_hBkWndParent; }
    void SetParent(BKWND parent) { m_hBkWndParent = parent; }
    CBkWindow* GetParentWindow() const { return BkWnds::GetWindow(m_hBkWndParent); }
    HWND GetContainer() const { return m_hWndContainer; }

    int GetCmdID() const { return m_uCmdID; }
    void SetCmdID(int id) { m_uCmdID = id; }
    const RECT& GetRect() const { return m_rcWindow; }
    unsigned GetState() const { return m_dwState; }
    // Adds then removes state bits; returns the previous state.
    unsigned ModifyState(unsigned add, unsigned remove);
    bool IsVisible(bool checkParent = false) const;
    bool IsDisabled(bool checkParent = false) const;
    void SetVisible(bool show);
    bool IsTransparent() const { return m_bTransparent != 0; }
    bool IsFloat() const { return (m_uPositionType & Position_Float) != 0; }
    unsigned GetPositionType() const { return m_uPositionType; }
    const BkWndPos& GetPos() const { return m_dlgpos; }

    void NotifyInvalidate();
    void NotifyInvalidateRect(const RECT& rect);
    // Asks the parent container to place this element again.
    void RepositionSelf();

    const std::u16string& GetInnerText() const { return m_strInnerText; }
    const std::u16string& GetLinkUrl() const { return m_strLinkUrl; }
    const std::u16string& GetToolTipText() const { return m_strToolTipText; }
    const BkStyle& GetStyle() const { return m_style; }
    BkStyle& GetStyle() { return m_style; }
    void SetPaintHook(IBkWindowPaintHook* hook) { m_pPaintHook = hook; }

    // "%strN%" tokens replaced left to right by string N of the string pool; a token with
    // N <= 0 or without a closing "%" stops the substitution there.
    static std::u16string SubstituteStrings(const std::u16string& text);

protected:
    // Text drawing state selected by BeginDraw and put back by EndDraw.
    struct DrawState {
        HFONT oldFont = nullptr;
        COLORREF oldTextColor = CLR_INVALID;
        int oldBkMode = 0;
        COLORREF oldBkColor = CLR_INVALID;
        bool fontSelected = false;
        bool textColorSet = false;
        bool bkModeSet = false;
        bool bkColorSet = false;
    };
    // Prepares `dc` for the element's text from its own style; returns the text rectangle
    // (the rectangle shrunk by the margins).
    RECT BeginDraw(HDC dc, DrawState& saved);
    void EndDraw(HDC dc, const DrawState& saved);

    // Message handlers; each sets m_bMsgHandled when it handles the message.
    virtual void OnPaint(HDC dc);
    virtual void OnShowWindow(bool show, LPARAM status);
    virtual void OnWindowPosChanged(const BkWindowPos& pos);
    virtual void OnNcCalcSize(bool calcValidRects, SIZE& size);
    virtual void OnDestroy() {}

    // The font text is measured with: own font, else the nearest ancestor's; in the hover
    // state the hover font likewise when there is one; else font code 0.
    HFONT GetMeasureFont() const;
    // Reports "bOK" when called from a thread other than the element's own.
    void CheckThread() const;

    BKWND m_hBkWnd = 0;
    BKWND m_hBkWndParent = 0;
    HWND m_hWndContainer = nullptr;
    int m_uCmdID = 0;
    RECT m_rcWindow{0, 0, 0, 0};
    unsigned m_uPositionType = 0;
    BkStyle m_style;
    std::u16string m_strInnerText;
    int m_lSpecifyWidth = 0;
    int m_lSpecifyHeight = 0;
    unsigned m_dwState = BkWndState_Normal;
    std::u16string m_strLinkUrl;
    int m_bTransparent = 0;
    std::u16string m_strToolTipText;
    BkWndPos m_dlgpos;
    IBkWindowPaintHook* m_pPaintHook = nullptr;
    std::thread::id m_ownerThread;
    bool m_bMsgHandled = false;
};
