#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "platform/testing.h"
#include "platform/window.h"

namespace platform {
namespace {

namespace inject = platform::testing;

struct Msg {
    HWND hwnd;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

// A window procedure that records what it gets; `hook` may answer a message (return true).
struct Recorder {
    std::vector<Msg> log;
    std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT&)> hook;

    WindowProc proc() {
        return [this](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
            log.push_back(Msg{h, m, w, l});
            LRESULT r = 0;
            if (hook && hook(h, m, w, l, r)) return r;
            return DefWindowProc(h, m, w, l);
        };
    }
    int count(UINT msg) const {
        int n = 0;
        for (const Msg& m : log) n += m.msg == msg;
        return n;
    }
    const Msg* last(UINT msg) const {
        for (auto it = log.rbegin(); it != log.rend(); ++it)
            if (it->msg == msg) return &*it;
        return nullptr;
    }
    std::vector<UINT> sequence(std::initializer_list<UINT> only) const {
        std::vector<UINT> out;
        for (const Msg& m : log)
            for (UINT o : only)
                if (m.msg == o) out.push_back(m.msg);
        return out;
    }
};

HWND topLevel(Recorder& rec, int x = 100, int y = 100, int w = 200, int h = 150, DWORD style = WS_POPUP | WS_VISIBLE) {
    return CreateWindowEx(0, u"TestWindow", u"test", style, x, y, w, h, nullptr, 0, rec.proc());
}

HWND childOf(HWND parent, Recorder& rec, int id, int x, int y, int w, int h) {
    return CreateWindowEx(0, u"TestChild", u"", WS_CHILD | WS_VISIBLE, x, y, w, h, parent, id, rec.proc());
}

// Runs a modal loop the way the skinned dialogs do: until a quit is waiting or `end` is set.
enum class LoopEnd { EndFlag, QuitWaiting, QuitReceived, WindowGone };
LoopEnd runModal(HWND hwnd, const bool& end) {
    while (!PeekMessage(nullptr, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) && !end) {
        if (!IsWindow(hwnd)) return LoopEnd::WindowGone;
        MSG m;
        if (GetMessage(&m) == 0) return LoopEnd::QuitReceived;
        DispatchMessage(&m);
    }
    return end ? LoopEnd::EndFlag : LoopEnd::QuitWaiting;
}

TEST(Windows, CreationMessagesAndHandles) {
    Recorder rec;
    HWND w = topLevel(rec);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(IsWindow(w));
    EXPECT_EQ(rec.sequence({WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}),
              (std::vector<UINT>{WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
    EXPECT_EQ(rec.last(WM_SIZE)->lParam, MAKELPARAM(200, 150));
    EXPECT_TRUE(IsWindowVisible(w));
    RECT r;
    GetClientRect(w, &r);
    EXPECT_EQ(r, (RECT{0, 0, 200, 150}));
    EXPECT_EQ(GetWindowText(w), u"test");
    SetWindowText(w, u"标题");
    EXPECT_EQ(GetWindowText(w), u"标题");
    DestroyWindow(w);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(SendMessage(w, WM_USER), 0);
    EXPECT_FALSE(PostMessage(w, WM_USER));

    // WM_CREATE returning -1 fails the creation.
    Recorder failing;
    failing.hook = [](HWND, UINT m, WPARAM, LPARAM, LRESULT& r) {
        if (m != WM_CREATE) return false;
        r = -1;
        return true;
    };
    EXPECT_EQ(topLevel(failing), nullptr);
    EXPECT_EQ(failing.count(WM_DESTROY), 1);
    // A child needs a parent.
    EXPECT_EQ(CreateWindowEx(0, u"", u"", WS_CHILD, 0, 0, 5, 5, nullptr, 1, rec.proc()), nullptr);
}

TEST(Windows, ChildrenIdsAndDestructionOrder) {
    Recorder parentRec, childRec, grandRec;
    HWND parent = topLevel(parentRec);
    HWND child = childOf(parent, childRec, 1000, 10, 20, 50, 40);
    HWND grand = childOf(child, grandRec, 7, 1, 2, 3, 4);
    EXPECT_EQ(GetDlgItem(parent, 1000), child);
    EXPECT_EQ(GetDlgCtrlID(child), 1000);
    EXPECT_EQ(GetParent(child), parent);
    EXPECT_EQ(GetAncestorRoot(grand), parent);
    EXPECT_TRUE(IsChild(parent, grand));
    RECT wr;
    GetWindowRect(grand, &wr);
    EXPECT_EQ(wr, (RECT{111, 122, 114, 126}));
    POINT p{0, 0};
    ScreenToClient(child, &p);
    EXPECT_EQ(p, (POINT{-110, -120}));

    std::vector<std::pair<HWND, UINT>> order;
    auto note = [&order](HWND h, UINT m, WPARAM, LPARAM, LRESULT&) {
        if (m == WM_DESTROY || m == WM_NCDESTROY) order.emplace_back(h, m);
        return false;
    };
    parentRec.hook = childRec.hook = grandRec.hook = note;
    DestroyWindow(parent);
    const std::vector<std::pair<HWND, UINT>> want{{parent, WM_DESTROY}, {child, WM_DESTROY}, {grand, WM_DESTROY},
                                                  {grand, WM_NCDESTROY}, {child, WM_NCDESTROY}, {parent, WM_NCDESTROY}};
    EXPECT_EQ(order, want);
    EXPECT_FALSE(IsWindow(child));
    EXPECT_FALSE(IsWindow(grand));
}

TEST(Messages, PostedInOrderAndDroppedForDestroyedWindows) {
    Recorder a, b;
    HWND wa = topLevel(a);
    HWND wb = topLevel(b);
    PostMessage(wa, WM_USER + 1, 1, 0);
    PostMessage(wb, WM_USER + 2, 2, 0);
    PostMessage(wa, WM_USER + 3, 3, 0);
    DestroyWindow(wb);
    MSG m;
    std::vector<UINT> got;
    while (PeekMessage(&m, nullptr, WM_USER, WM_USER + 10, PM_REMOVE)) {
        got.push_back(m.message);
        DispatchMessage(&m);
    }
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER + 2, WM_USER + 3}));
    EXPECT_EQ(a.sequence({WM_USER + 1, WM_USER + 3}), (std::vector<UINT>{WM_USER + 1, WM_USER + 3}));
    EXPECT_EQ(b.count(WM_USER + 2), 0);
    // Without a GetMessage loop the layer delivers them itself.
    PostMessage(wa, WM_USER + 4);
    PumpMessages();
    EXPECT_EQ(a.count(WM_USER + 4), 1);
    DestroyWindow(wa);
}

TEST(Messages, QuitWaitsUntilTakenAndEndsEnclosingLoops) {
    PostQuitMessage(5);
    MSG m;
    EXPECT_TRUE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_TRUE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
    EXPECT_EQ(GetMessage(&m), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 5u);
    EXPECT_FALSE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));

    // An inner loop started from a message of the outer loop; a quit posted inside ends both,
    // and stays waiting.
    Recorder rec;
    HWND w = topLevel(rec);
    bool outerEnd = false, innerEnd = false;
    LoopEnd innerResult = LoopEnd::EndFlag;
    rec.hook = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_USER + 1) {
            PostMessage(h, WM_USER + 2);
            innerResult = runModal(h, innerEnd);
            return true;
        }
        if (msg == WM_USER + 2) {
            PostQuitMessage(0);
            return true;
        }
        return false;
    };
    PostMessage(w, WM_USER + 1);
    EXPECT_EQ(runModal(w, outerEnd), LoopEnd::QuitWaiting);
    EXPECT_EQ(innerResult, LoopEnd::QuitWaiting);
    EXPECT_TRUE(PeekMessage(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    DestroyWindow(w);
}

TEST(Messages, EndFlagSetByATimerEndsTheLoop) {
    Recorder rec;
    HWND w = topLevel(rec);
    bool end = false;
    rec.hook = [&](HWND h, UINT msg, WPARAM id, LPARAM, LRESULT&) {
        if (msg == WM_TIMER && id == 9) {
            KillTimer(h, 9);
            end = true;
            PostMessage(nullptr, WM_NULL);  // wakes the loop as EndDialog does
            return true;
        }
        return false;
    };
    SetTimer(w, 9, 5);
    EXPECT_EQ(runModal(w, end), LoopEnd::EndFlag);
    EXPECT_EQ(rec.count(WM_TIMER), 1);
    DestroyWindow(w);
}

TEST(Messages, InputArrivesWhileTheLoopWaits) {
    // A dialog with a host child: a click on the host, made while the loop waits, ends the
    // loop through the end flag and a wake-up message, as EndDialog does.
    Recorder top, host;
    HWND w = topLevel(top, 100, 100, 300, 200);
    HWND h = childOf(w, host, 1000, 0, 0, 300, 200);
    bool end = false;
    top.hook = [&](HWND hw, UINT msg, WPARAM id, LPARAM, LRESULT&) {
        if (msg != WM_TIMER) return false;
        KillTimer(hw, id);
        inject::InjectMouse(h, inject::MouseAction::Move, 50, 60);
        inject::InjectMouse(h, inject::MouseAction::Press, 50, 60);
        inject::InjectMouse(h, inject::MouseAction::Release, 50, 60);
        return true;
    };
    host.hook = [&](HWND, UINT msg, WPARAM, LPARAM l, LRESULT&) {
        if (msg == WM_LBUTTONDOWN) SetCapture(h);
        if (msg != WM_LBUTTONUP) return false;
        ReleaseCapture();
        EXPECT_EQ(l, MAKELPARAM(50, 60));
        end = true;
        PostMessage(nullptr, WM_NULL);
        return true;
    };
    SetTimer(w, 3, 5);
    EXPECT_EQ(runModal(w, end), LoopEnd::EndFlag);
    EXPECT_EQ(host.count(WM_LBUTTONUP), 1);
    // The window vanishing ends the loop too.
    bool never = false;
    top.hook = [&](HWND hw, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_TIMER) DestroyWindow(hw);
        return false;
    };
    SetTimer(w, 4, 5);
    EXPECT_EQ(runModal(w, never), LoopEnd::WindowGone);
}

TEST(Timers, TickUntilKilledAndDieWithTheWindow) {
    Recorder rec;
    HWND w = topLevel(rec);
    bool end = false;
    int ticks = 0;
    rec.hook = [&](HWND h, UINT msg, WPARAM id, LPARAM, LRESULT&) {
        if (msg != WM_TIMER) return false;
        EXPECT_EQ(id, 1u);
        if (++ticks == 3) {
            KillTimer(h, 1);
            SetTimer(h, 2, 1);
        }
        return true;
    };
    SetTimer(w, 1, 1);
    const DWORD deadline = GetTickCount() + 3000;
    while (ticks < 3 && GetTickCount() < deadline) {
        MSG m;
        GetMessage(&m);
        DispatchMessage(&m);
    }
    EXPECT_EQ(ticks, 3);
    // Timer 2 would fail the id check; destroying the window ends it.
    DestroyWindow(w);
    const DWORD until = GetTickCount() + 30;
    while (GetTickCount() < until) PumpMessages();
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(KillTimer(w, 2));
    (void)end;
}

TEST(Mouse, MessagesCarryClientCoordinatesAndCaptureRedirects) {
    Recorder a, b;
    HWND wa = topLevel(a, 100, 100);
    HWND wb = topLevel(b, 400, 300);
    inject::InjectMouse(wb, inject::MouseAction::Move, 7, 9);
    ASSERT_NE(b.last(WM_MOUSEMOVE), nullptr);
    EXPECT_EQ(b.last(WM_MOUSEMOVE)->lParam, MAKELPARAM(7, 9));
    EXPECT_EQ(b.count(WM_SETCURSOR), 1);
    inject::InjectMouse(wb, inject::MouseAction::Press, 7, 9);
    EXPECT_EQ(b.last(WM_LBUTTONDOWN)->wParam & MK_LBUTTON, MK_LBUTTON);
    inject::InjectMouse(wb, inject::MouseAction::Release, 7, 9);
    EXPECT_EQ(b.count(WM_LBUTTONUP), 1);
    inject::InjectMouse(wb, inject::MouseAction::Press, 7, 9, inject::MouseButton::Right);
    EXPECT_EQ(b.count(WM_RBUTTONDOWN), 1);
    inject::InjectMouse(wb, inject::MouseAction::Release, 7, 9, inject::MouseButton::Right);

    SetCapture(wa);
    EXPECT_EQ(GetCapture(), wa);
    inject::InjectMouse(wb, inject::MouseAction::Move, 7, 9);
    const Msg* moved = a.last(WM_MOUSEMOVE);
    ASSERT_NE(moved, nullptr);
    POINT screen{7, 9};
    ClientToScreen(wb, &screen);
    ScreenToClient(wa, &screen);
    EXPECT_EQ(GET_X_LPARAM(moved->lParam), screen.x);
    EXPECT_EQ(GET_Y_LPARAM(moved->lParam), screen.y);
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 1);  // nothing new for b
    ReleaseCapture();
    EXPECT_EQ(a.count(WM_CAPTURECHANGED), 1);
    EXPECT_EQ(GetCapture(), nullptr);
    inject::InjectMouse(wb, inject::MouseAction::Move, 8, 9);
    EXPECT_EQ(b.count(WM_MOUSEMOVE), 2);
    DestroyWindow(wa);
    DestroyWindow(wb);
}

TEST(Mouse, LeaveTrackingIsOneShot) {
    Recorder rec;
    HWND w = topLevel(rec);
    rec.hook = [](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_MOUSEMOVE) {
            TRACKMOUSEEVENT t;
            t.dwFlags = TME_LEAVE;
            t.hwndTrack = h;
            TrackMouseEvent(&t);
        }
        return false;
    };
    inject::InjectMouse(w, inject::MouseAction::Move, 5, 5);
    EXPECT_EQ(rec.count(WM_MOUSELEAVE), 0);
    inject::InjectMouseLeave(w);
    EXPECT_EQ(rec.count(WM_MOUSELEAVE), 1);
    inject::InjectMouseLeave(w);
    EXPECT_EQ(rec.count(WM_MOUSELEAVE), 1);
    // Asking while the mouse is elsewhere answers at once (posted).
    TRACKMOUSEEVENT t;
    t.dwFlags = TME_LEAVE;
    t.hwndTrack = w;
    TrackMouseEvent(&t);
    PumpMessages();
    EXPECT_EQ(rec.count(WM_MOUSELEAVE), 2);
    DestroyWindow(w);
}

TEST(Mouse, CursorFromSetCursorAndDisabledWindowsGetNothing) {
    Recorder rec;
    HWND w = topLevel(rec);
    rec.hook = [](HWND, UINT msg, WPARAM, LPARAM, LRESULT& r) {
        if (msg != WM_SETCURSOR) return false;
        SetCursor(LoadCursor(IDC_HAND));
        r = 1;
        return true;
    };
    inject::InjectMouse(w, inject::MouseAction::Move, 5, 5);
    EXPECT_EQ(GetWindowCursor(w), LoadCursor(IDC_HAND));
    rec.hook = nullptr;
    inject::InjectMouse(w, inject::MouseAction::Move, 6, 5);
    EXPECT_EQ(GetWindowCursor(w), LoadCursor(IDC_ARROW));
    EXPECT_EQ(LoadCursor(4711), nullptr);

    EnableWindow(w, false);
    EXPECT_FALSE(IsWindowEnabled(w));
    const int before = rec.count(WM_LBUTTONDOWN);
    inject::InjectMouse(w, inject::MouseAction::Press, 5, 5);
    inject::InjectMouse(w, inject::MouseAction::Release, 5, 5);
    EXPECT_EQ(rec.count(WM_LBUTTONDOWN), before);
    EXPECT_TRUE(EnableWindow(w, true));  // it was disabled
    DestroyWindow(w);
}

TEST(Mouse, DestroyingTheWindowInItsOwnClickIsSafe) {
    Recorder rec;
    HWND w = topLevel(rec);
    HWND child = childOf(w, rec, 1, 0, 0, 50, 50);
    rec.hook = [w](HWND, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg == WM_LBUTTONDOWN) DestroyWindow(w);
        return false;
    };
    inject::InjectMouse(child, inject::MouseAction::Press, 5, 5);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_FALSE(IsWindow(child));
    inject::InjectMouse(child, inject::MouseAction::Release, 5, 5);  // a dead handle: nothing
    PumpMessages();
}

TEST(Keys, KeyMessagesAndDialogKeys) {
    Recorder top, child;
    HWND w = topLevel(top);
    HWND c = childOf(w, child, 5, 0, 0, 50, 50);
    SetFocus(c);
    inject::InjectKey(c, 'A', u"a");
    EXPECT_EQ(child.last(WM_KEYDOWN)->wParam, static_cast<WPARAM>('A'));
    EXPECT_EQ(child.last(WM_CHAR)->wParam, static_cast<WPARAM>(u'a'));
    EXPECT_EQ(child.count(WM_KEYUP), 1);
    inject::InjectKey(c, VK_ESCAPE);
    EXPECT_EQ(child.last(WM_KEYDOWN)->wParam, VK_ESCAPE);
    EXPECT_EQ(top.count(WM_COMMAND), 0);

    SetDialogKeys(w, true);
    inject::InjectKey(c, VK_ESCAPE);
    inject::InjectKey(c, VK_RETURN, u"\r");
    ASSERT_EQ(top.count(WM_COMMAND), 2);
    EXPECT_EQ(top.log[top.log.size() - 1].msg, WM_COMMAND);
    EXPECT_EQ(LOWORD(top.last(WM_COMMAND)->wParam), IDOK);
    EXPECT_EQ(child.last(WM_KEYDOWN)->wParam, VK_ESCAPE);  // the keys themselves were not delivered

    inject::InjectKey(c, 'B', u"B", MK_CONTROL);
    EXPECT_NE(GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000, 0);
    inject::InjectKey(c, 'B', u"b");
    EXPECT_EQ(GetKeyState(static_cast<int>(VK_CONTROL)) & 0x8000, 0);
    DestroyWindow(w);
}

TEST(Geometry, MoveSizeMaximiseRestore) {
    Recorder rec;
    HWND w = topLevel(rec, 50, 60, 300, 200);
    rec.log.clear();
    SetWindowPos(w, nullptr, 0, 0, 320, 210, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rec.sequence({WM_WINDOWPOSCHANGED, WM_MOVE, WM_SIZE}),
              (std::vector<UINT>{WM_WINDOWPOSCHANGED, WM_SIZE}));
    EXPECT_EQ(rec.last(WM_SIZE)->lParam, MAKELPARAM(320, 210));
    RECT r;
    GetWindowRect(w, &r);
    EXPECT_EQ(r, (RECT{50, 60, 370, 270}));
    rec.log.clear();
    SetWindowPos(w, nullptr, 0, 0, 320, 210, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rec.count(WM_WINDOWPOSCHANGED), 0);  // nothing changed

    MONITORINFO mi;
    ASSERT_TRUE(GetMonitorInfo(MonitorFromWindow(w, MONITOR_DEFAULTTONEAREST), &mi));
    EXPECT_GT(RectWidth(mi.rcWork), 0);
    rec.hook = [](HWND, UINT msg, WPARAM, LPARAM l, LRESULT&) {
        if (msg != WM_GETMINMAXINFO) return false;
        auto* info = reinterpret_cast<MINMAXINFO*>(l);
        info->ptMaxPosition = POINT{-1, -1};
        info->ptMaxSize = POINT{402, 302};
        return true;
    };
    ShowWindow(w, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(w));
    GetWindowRect(w, &r);
    EXPECT_EQ(r, (RECT{mi.rcMonitor.left - 1, mi.rcMonitor.top - 1, mi.rcMonitor.left + 401, mi.rcMonitor.top + 301}));
    EXPECT_EQ(rec.last(WM_SIZE)->wParam, SIZE_MAXIMIZED);
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(w));
    GetWindowRect(w, &r);
    EXPECT_EQ(r, (RECT{50, 60, 370, 270}));
    ShowWindow(w, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(w));
    EXPECT_EQ(rec.last(WM_SIZE)->wParam, SIZE_MINIMIZED);
    ShowWindow(w, SW_RESTORE);
    EXPECT_FALSE(IsIconic(w));
    EXPECT_FALSE(ShowWindow(w, SW_HIDE) == false);
    EXPECT_FALSE(IsWindowVisible(w));
    DestroyWindow(w);
}

TEST(Geometry, WindowRegionIsKept) {
    Recorder rec;
    HWND w = topLevel(rec, 0, 0, 20, 10);
    HRGN rgn = CreateRectRgn(0, 2, 20, 8);
    HRGN top = CreateRectRgn(2, 0, 18, 1);
    CombineRgn(rgn, rgn, top, RGN_OR);
    DeleteObject(top);
    ASSERT_TRUE(SetWindowRgn(w, rgn, true));
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(w, copy), COMPLEXREGION);
    EXPECT_TRUE(PtInRegion(copy, 2, 0));
    EXPECT_FALSE(PtInRegion(copy, 1, 0));
    EXPECT_FALSE(PtInRegion(copy, 5, 1));
    DeleteObject(copy);
    DestroyWindow(w);
}

TEST(Painting, InvalidRegionReachesBeginPaintAndSurfacesAreKept) {
    Recorder rec;
    HWND w = topLevel(rec, 0, 0, 40, 30);
    RECT painted{};
    rec.hook = [&](HWND h, UINT msg, WPARAM, LPARAM, LRESULT&) {
        if (msg != WM_PAINT) return false;
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(h, &ps);
        painted = ps.rcPaint;
        RECT all{0, 0, 40, 30};
        FillSolidRect(dc, &all, RGB(255, 0, 0));  // clipped to the invalid region
        EndPaint(h, &ps);
        return true;
    };
    UpdateWindow(w);  // the whole new window is invalid
    EXPECT_EQ(painted, (RECT{0, 0, 40, 30}));
    HDC fill = GetDC(w);
    RECT all{0, 0, 40, 30};
    FillSolidRect(fill, &all, RGB(255, 255, 255));
    ReleaseDC(w, fill);
    RECT part{5, 5, 10, 8};
    InvalidateRect(w, &part, false);
    RECT update;
    EXPECT_TRUE(GetUpdateRect(w, &update, false));
    EXPECT_EQ(update, part);
    UpdateWindow(w);
    EXPECT_EQ(painted, part);
    EXPECT_FALSE(GetUpdateRect(w, &update, false));
    HDC dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 10, 5), RGB(255, 255, 255));
    ReleaseDC(w, dc);
    const int paints = rec.count(WM_PAINT);
    UpdateWindow(w);  // nothing invalid: no paint
    EXPECT_EQ(rec.count(WM_PAINT), paints);

    // Growing keeps the old pixels.
    rec.hook = nullptr;
    SetWindowPos(w, nullptr, 0, 0, 60, 40, SWP_NOMOVE | SWP_NOZORDER);
    dc = GetDC(w);
    EXPECT_EQ(GetPixel(dc, 6, 6), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 55, 35), RGB(255, 255, 255));
    ReleaseDC(w, dc);
    DestroyWindow(w);
}

TEST(Painting, QtPaintEventsGoThroughTheProcedure) {
    Recorder rec;
    HWND w = topLevel(rec, 0, 0, 40, 30);
    PumpMessages();
    const int before = rec.count(WM_PAINT);
    RECT part{1, 1, 5, 5};
    InvalidateRect(w, &part, false);
    const DWORD until = GetTickCount() + 1000;
    while (rec.count(WM_PAINT) == before && GetTickCount() < until) PumpMessages();
    EXPECT_EQ(rec.count(WM_PAINT), before + 1);
    DestroyWindow(w);
}

}  // namespace
}  // namespace platform
