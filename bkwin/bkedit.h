// An edit element (`edit`): owns a real edit field, a child of the container window with the
// element's command id, placed in the element rectangle shrunk by 2. The element paints the
// white box, the text and the border around it (2 pixels of 85E4FF under the mouse, else
// 1 pixel of 4EA0D1), and keeps its inner text equal to the field's text.
#pragma once

#include <string>

#include "bkwin/bkwnd.h"
#include "platform/window.h"

class CBkEdit : public CBkWindow {
public:
    ~CBkEdit() override;

    const char* GetObjectClass() const override { return "edit"; }
    bool SetAttribute(const std::string& name, const std::string& value, bool loading) override;
    void SetInnerText(const std::u16string& text) override;
    bool ProcessMessage(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam,
                        platform::LRESULT& result) override;
    void SetCursor() override;

    // The real field, created on first need (null before the element has a container).
    platform::HWND GetEditHWnd() const { return m_hWndEdit; }
    platform::HWND CreateEditWindow();
    // The field's text when it exists, else the inner text.
    std::u16string GetText() const;
    bool IsHover() const { return m_bHover; }

    // For the container window: a WM_COMMAND from one of its children. When the child is the
    // field of an edit element (linked through the window property "WndX") and the command
    // tells of a text change, the element takes the field's text. Returns whether it was one.
    // The command still goes on to wherever the container sends it.
    static bool ReflectCommand(platform::WPARAM wParam, platform::LPARAM lParam);

    // The styles the field is created with.
    platform::DWORD EditStyle() const;

protected:
    void OnPaint(platform::HDC dc) override;
    void OnWindowPosChanged(const BkWindowPos& pos) override;
    void OnShowWindow(bool show, platform::LPARAM status) override;
    void OnDestroy() override;

private:
    platform::LRESULT EditProc(platform::HWND hwnd, platform::UINT msg, platform::WPARAM wParam,
                               platform::LPARAM lParam);
    platform::RECT EditRect() const;
    void SyncTextFromEdit();
    void SetHover(bool hover);
    void DestroyEditWindow();

    platform::HWND m_hWndEdit = nullptr;
    platform::WindowProc m_procEdit;
    unsigned m_nDefaultFont = 0;   // defaultfont
    int m_bPassword = 0;           // password
    int m_bReadOnly = 0;           // readonly
    int m_bNumber = 0;             // number
    int m_bMultiLine = 0;          // multiline
    int m_nMaxChar = 0;            // maxchar
    bool m_bEnabled = true;
    bool m_bHover = false;
    char16_t m_chPassword = u'*';
    bool m_bSyncing = false;
};
