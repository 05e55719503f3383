// The top-level window of a skinned window: a borderless window whose whole area is client
// area, filled by one host (CBkDialogView, control id 1000). It creates itself from a layer,
// runs a modal loop, turns Escape, Enter and closing into the Cancel and OK notifications that
// element clicks also produce, and keeps the maximised size to the work area.
//
// Derived windows add their own handling by overriding ProcessWindowMessage and calling this
// class's version where the framework's routing belongs in their order.
#pragma once

#include <string>

#include "bkres/bkplatform.h"
#include "bkwin/bkdlgview.h"

class CBkDialogImpl {
public:
    // `layerResourceId`: the layer loaded by Create when none was set before (0: none).
    explicit CBkDialogImpl(UINT layerResourceId = 0);
    virtual ~CBkDialogImpl();
    CBkDialogImpl(const CBkDialogImpl&) = delete;
    CBkDialogImpl& operator=(const CBkDialogImpl&) = delete;

    // Loads and applies a layer before the window is created.
    bool Load(UINT layerResourceId);
    bool SetXml(std::string_view xml);
    void SetLayerResource(UINT layerResourceId) { m_uResID = layerResourceId; }

    // Creates the window (hidden) with its host, sends it WM_INITDIALOG and sizes it to the
    // layer's width and height. Null when the layer cannot be loaded or the window not made.
    HWND Create(HWND parent, const RECT* rect = nullptr);
    // Runs the window modally over `parent` (else the current skinned window, else the active
    // window) and returns the code given to EndDialog; 0 when the window cannot be created.
    int DoModal(HWND parent = nullptr);
    // Ends the modal loop with `code`.
    void EndDialog(int code);

    HWND GetHWnd() const { return m_hWnd; }
    CBkDialogView& GetView() { return m_richView; }
    // Keeps the window hidden when the modal loop starts (call in WM_INITDIALOG).
    void DontShowWindow() { m_bShowWindow = false; }

    // The host's operations by command id.
    CBkWindow* GetItem(int id) { return m_richView.GetItem(id); }
    bool SetItemText(int id, const std::u16string& text) { return m_richView.SetItemText(id, text); }
    bool SetTabCurSel(int id, int index) { return m_richView.SetTabCurSel(id, index); }
    bool SetTabVisible(int id, int index, bool show) { return m_richView.SetTabVisible(id, index, show); }
    void ModifyItemState(CBkWindow* element, unsigned add, unsigned remove) {
        m_richView.ModifyItemState(element, add, remove);
    }
    void ShowAllRealWindows(bool show) { m_richView.ShowAllRealWindows(show); }

    // The modal-loop diagnostic for a quit message taken while waiting.
    static constexpr const char* kQuitDiagnostic = "Why Receive WM_QUIT here?\r\n";

protected:
    // The window's message map: returns true when the message was handled (with `result`);
    // unhandled messages go to DefWindowProc.
    virtual bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    CBkDialogView m_richView;
    HWND m_hWnd = nullptr;

private:
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void CenterOver(HWND parent);
    void OnGetMinMaxInfo(MINMAXINFO* info);

    UINT m_uResID = 0;
    bool m_bHasRect = false;
    bool m_bShowWindow = false;
    bool m_bExitModalLoop = false;
    int m_nRetCode = 0;
};
