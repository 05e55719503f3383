// The host window of a skinned window: a child window (control id 1000) that holds the three
// element trees of a layer (header, body, footer), lays them out in bands, paints them through
// a back buffer that only re-renders what was invalidated, tracks the mouse for hover and
// pushed states and tooltips, and turns completed clicks into notifications to its parent.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "bkres/bkplatform.h"
#include "bkwin/bkdialog.h"
#include "bkwin/bknotify.h"

class CBkDialogView {
public:
    CBkDialogView();
    ~CBkDialogView();
    CBkDialogView(const CBkDialogView&) = delete;
    CBkDialogView& operator=(const CBkDialogView&) = delete;

    // Applies a layer document (UTF-8): root `layer` with `title`, `width`, `height`, `appwin`,
    // `resize`, `nomaxsize`, `noborder`, `child` and the optional `header`, `body` and `footer`.
    // Fails when the text does not parse or the root is another element.
    bool SetXml(std::string_view xml);
    // Loads "xml" resource `resourceId` and applies it.
    bool Load(UINT resourceId);

    // Creates the host as a child of `parent` covering `rect` (the whole of nothing when null).
    HWND Create(HWND parent, const RECT* rect, int controlId = IDC_RICHVIEW_WIN);
    HWND GetHWnd() const { return m_hWnd; }

    // The element with command id `id`: header first, then body, then footer.
    CBkWindow* GetItem(int id);
    // Sets an element's text, repainting its old and new rectangles.
    bool SetItemText(int id, const std::u16string& text);
    // Tab operations; fail unless `id` names a `tabctrl`.
    bool SetTabCurSel(int id, int index);
    bool SetTabVisible(int id, int index, bool show);
    // Changes state bits and repaints the element when its look depends on its state.
    void ModifyItemState(CBkWindow* element, unsigned add, unsigned remove);
    // Shows or hides the real windows of the `realwnd` elements in the visible parts of the trees.
    void ShowAllRealWindows(bool show);

    // Keyboard focus. Tab and Shift+Tab move through these ids in order: the real window of a
    // `realwnd` element, or a `button` element (hidden and disabled ones are passed over). The
    // button holding the focus shows a dotted frame while the host has the focus, and Space or
    // Return presses it.
    void SetTabOrder(std::vector<int> ids) { m_tabOrder = std::move(ids); }
    // Gives the focus to the element with this id (to its real window for a `realwnd`); false
    // when it cannot take it now.
    bool SetFocusItem(int id);
    // The id of the button holding the focus, 0 when none (or when the host does not have it).
    int GetFocusItem() const;
    // Tab (forward) or Shift+Tab; false when no element of the order can take the focus.
    bool MoveFocus(bool forward);

    // What the layer gave.
    const std::u16string& GetTitle() const { return m_strTitle; }
    // Replaces the title taken from the layer (used when the top-level window is created).
    void SetTitle(const std::u16string& title) { m_strTitle = title; }
    DWORD GetDlgStyle() const { return m_dwDlgStyle; }
    DWORD GetDlgExStyle() const { return m_dwDlgExStyle; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    bool IsResizable() const { return m_bResizable; }
    bool IsLayerLoaded() const { return m_bXmlLoaded; }
    bool HasHeader() const { return m_bHasHeader; }
    bool HasBody() const { return m_bHasBody; }
    bool HasFooter() const { return m_bHasFooter; }

    CBkDialog& Header() { return m_bkHeader; }
    CBkDialog& Body() { return m_bkBody; }
    CBkDialog& Footer() { return m_bkFooter; }

    // Mouse targets (0 when none).
    BKWND GetHoverElement() const { return m_hHover; }
    BKWND GetPushedElement() const { return m_hPushDown; }

    // Adds `rect` to the pending region and schedules a paint.
    void InvalidateRect(const RECT& rect);
    // The union of rectangles invalidated since the last render (nullptr when none), and whether
    // the back buffer must be re-rendered.
    HRGN GetPendingRegion() const { return m_hRgnInvalidate; }
    bool IsBufferDirty() const { return m_bNeedRedraw; }
    // Re-renders the pending region into the back buffer when it is dirty.
    void RenderBuffer();
    // The back buffer (nullptr before the host has a size) and a DC that holds it.
    HBITMAP GetBackBuffer() const { return m_bmpBuffer; }
    HDC GetBufferDC() const { return m_dcBuffer; }

private:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void ResetLayer();
    void LayoutBands();
    void RecreateBuffer(int width, int height);
    void ReleaseBuffer();
    CBkWindow* HitTestAll(POINT pt, bool* inHeader);
    bool IsDragSource(const CBkWindow* element) const;
    void SendNotify(UINT code);

    LRESULT OnPaint();
    void OnSize(int width, int height);
    void OnMouseMove(WPARAM keys, POINT pt);
    void OnMouseLeave();
    void OnLButtonDown(WPARAM keys, POINT pt);
    void OnLButtonUp(WPARAM keys, POINT pt);
    void OnLButtonDblClk(POINT pt);
    bool OnSetCursor(WPARAM wParam, LPARAM lParam);
    void SetCursorAt(POINT pt, LPARAM lParam);
    LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    // What a completed click on `element` does: its link opened or its command notified.
    void Click(CBkWindow* element);
    // The window that takes the focus for tab-order entry `id`: the host for a button, the real
    // window for a realwnd; null when it cannot take it now.
    HWND FocusTarget(int id);
    void InvalidateFocusItem();

    HWND m_hWnd = nullptr;
    CBkDialog m_bkHeader;
    CBkDialog m_bkBody;
    CBkDialog m_bkFooter;
    bool m_bHasHeader = false;
    bool m_bHasBody = false;
    bool m_bHasFooter = false;
    std::u16string m_strTitle;
    int m_nWidth = 0;
    int m_nHeight = 0;
    DWORD m_dwDlgStyle = 0;
    DWORD m_dwDlgExStyle = 0;
    bool m_bResizable = false;
    bool m_bXmlLoaded = false;

    HBITMAP m_bmpBuffer = nullptr;
    HDC m_dcBuffer = nullptr;
    HBITMAP m_bmpBufferOld = nullptr;
    SIZE m_sizeBuffer{0, 0};
    HRGN m_hRgnInvalidate = nullptr;
    bool m_bNeedRedraw = false;

    BKWND m_hHover = 0;
    BKWND m_hPushDown = 0;
    bool m_bCaptureSetted = false;
    bool m_bTrackFlag = false;

    std::vector<int> m_tabOrder;
    int m_nFocusItem = 0;  // the button that has the focus while the host has it
};
