// Shared set-up of the control tests: the program's strings, fonts, skins and styles, the
// control tags, element trees from XML fragments, and a pair of platform windows (a parent and
// the container child with control id 1000) that record the notifications they receive.
#pragma once

#include <gtest/gtest.h>

#include <tinyxml.h>

#include <memory>
#include <string>
#include <vector>

#include "BkTestCanvas.h"
#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkcontrols.h"
#include "bkwin/bkdialog.h"
#include "bkwin/bkedit.h"
#include "bkwin/bknotify.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"

// A notification as a receiver saw it.
struct BkSeenNotify {
    HWND window = nullptr;  // the window that received it
    UINT code = 0;
    int itemId = 0;         // codes 1 and 2: the command id; code 5: the tab control's id
    std::string itemClass;  // code 1
    RECT rect;              // code 2
    int newIndex = -1, oldIndex = -1;  // code 5
};

class BkControlTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        BkControls::RegisterAll();
        BkString::Clear();
        ASSERT_TRUE(BkString::Load(102));
        BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
        ASSERT_TRUE(BkSkinPool::Load(100));
        ASSERT_TRUE(BkStylePool::Load(101));
    }

    void TearDown() override {
        m_root.reset();
        if (m_parent && IsWindow(m_parent)) DestroyWindow(m_parent);
    }

    // The parent window and the container (control id 1000) inside it. Code-5 notifications
    // are vetoed while m_vetoTabChange is set; code 1000 invalidations are recorded apart.
    void MakeWindows(int width = 800, int height = 600) {
        m_parent = CreateWindowEx(0, u"", u"parent", WS_POPUP, 0, 0, width, height, nullptr, 0,
                                  [this](HWND h, UINT m, WPARAM w, LPARAM l) { return Proc(h, m, w, l); });
        m_container = CreateWindowEx(0, u"", u"", WS_CHILD | WS_VISIBLE, 0, 0, width, height, m_parent,
                                     IDC_RICHVIEW_WIN,
                                     [this](HWND h, UINT m, WPARAM w, LPARAM l) { return Proc(h, m, w, l); });
        ASSERT_NE(m_parent, nullptr);
        ASSERT_NE(m_container, nullptr);
    }

    // A root dialog at (x, y) of width x height holding `children`, laid out, in the container
    // when there is one.
    CBkDialog& Root(const std::string& children, int width = 400, int height = 300, int x = 0, int y = 0) {
        const std::string xml = "<dlg pos=\"0,0,-0,-0\">" + children + "</dlg>";
        TiXmlDocument doc;
        doc.Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
        EXPECT_FALSE(doc.Error()) << doc.ErrorDesc();
        m_root = std::make_unique<CBkDialog>();
        m_root->SetContainer(m_container);
        EXPECT_TRUE(m_root->Load(doc.RootElement()));
        BkWindowPos pos{x, y, width, height};
        m_root->BkSendMessage(WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
        return *m_root;
    }

    template <class T>
    T& Item(int id) {
        CBkWindow* w = m_root->FindChildByCmdID(id);
        EXPECT_NE(w, nullptr) << "no element " << id;
        T* typed = dynamic_cast<T*>(w);
        EXPECT_NE(typed, nullptr) << "element " << id << " is a " << (w ? w->GetObjectClass() : "nothing");
        return *typed;
    }

    static LPARAM Point(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

    // The notifications of one code seen so far.
    std::vector<BkSeenNotify> Seen(UINT code) const {
        std::vector<BkSeenNotify> out;
        for (const auto& n : m_notifies) {
            if (n.code == code) out.push_back(n);
        }
        return out;
    }

    // Paints the whole tree into `canvas` with the font and background mode the host uses.
    void Paint(BkTestCanvas& canvas, HRGN region = nullptr) {
        HFONT old = SelectObject(canvas.dc(), BkFontPool::GetFont(0));
        const int mode = SetBkMode(canvas.dc(), TRANSPARENT);
        m_root->RedrawRegion(canvas.dc(), region);
        SetBkMode(canvas.dc(), mode);
        SelectObject(canvas.dc(), old);
    }

    // Pixels of `color` inside `rc` of the canvas.
    static int CountColor(const BkTestCanvas& canvas, const RECT& rc, COLORREF color) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) n += canvas.at(x, y) == color;
        }
        return n;
    }
    // Pixels in `rc` within `tolerance` of `color` in every channel (antialiased glyphs hit
    // their exact colour only in their thickest strokes).
    static int CountNear(const BkTestCanvas& canvas, const RECT& rc, COLORREF color, int tolerance) {
        auto near = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) {
                const COLORREF c = canvas.at(x, y);
                n += near(GetRValue(c), GetRValue(color)) && near(GetGValue(c), GetGValue(color)) &&
                     near(GetBValue(c), GetBValue(color));
            }
        }
        return n;
    }
    // Pixels in `rc` that differ from `background`.
    static int CountNot(const BkTestCanvas& canvas, const RECT& rc, COLORREF background) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y) {
            for (int x = rc.left; x < rc.right; ++x) n += canvas.at(x, y) != background;
        }
        return n;
    }

    HWND m_parent = nullptr;
    HWND m_container = nullptr;
    std::unique_ptr<CBkDialog> m_root;
    std::vector<BkSeenNotify> m_notifies;
    std::vector<RECT> m_invalidated;
    bool m_vetoTabChange = false;

private:
    LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
        // As the host does: text changes of an edit element's field go back to the element.
        if (msg == WM_COMMAND) {
            CBkEdit::ReflectCommand(w, l);
            return 0;
        }
        if (msg != WM_NOTIFY || !l) return DefWindowProc(h, msg, w, l);
        const NMHDR* hdr = reinterpret_cast<const NMHDR*>(l);
        if (hdr->code == BKNM_INVALIDATERECT) {
            m_invalidated.push_back(reinterpret_cast<const BKNMINVALIDATERECT*>(l)->rect);
            return 0;
        }
        BkSeenNotify seen;
        seen.window = h;
        seen.code = hdr->code;
        if (hdr->code == BKNM_COMMAND) {
            const auto* nm = reinterpret_cast<const BKNMCOMMAND*>(l);
            seen.itemId = nm->uItemID;
            seen.itemClass = nm->szItemClass ? nm->szItemClass : "";
        } else if (hdr->code == BKNM_REALWND_RESIZED) {
            const auto* nm = reinterpret_cast<const BKNMREALWNDRESIZED*>(l);
            seen.itemId = nm->uItemID;
            seen.rect = nm->rcWnd;
        } else if (hdr->code == BKNM_TAB_SELCHANGE) {
            auto* nm = reinterpret_cast<BKNMTABSELCHANGE*>(l);
            seen.itemId = nm->uTabID;
            seen.newIndex = nm->nTabItemIDNew;
            seen.oldIndex = nm->nTabItemIDOld;
            if (m_vetoTabChange) nm->bCancel = true;
        }
        m_notifies.push_back(seen);
        return 0;
    }
};
