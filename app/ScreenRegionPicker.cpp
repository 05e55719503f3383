#include "app/ScreenRegionPicker.h"

#include <algorithm>
#include <cmath>

namespace {

HWND g_window = nullptr;

// The screenshot at 45% brightness: what lies outside the rectangle.
platform::RgbImage Darkened(const platform::RgbImage& picture) {
    platform::RgbImage dark = picture;
    for (uint8_t& channel : dark.rgb) channel = static_cast<uint8_t>(channel * 45 / 100);
    return dark;
}

struct PickerState {
    HBITMAP bright = nullptr;
    HBITMAP dark = nullptr;
    int width = 0, height = 0;
    std::u16string hint;
    bool dragging = false;
    POINT from{}, to{};
    bool done = false;
    std::optional<RECT> picked;

    RECT Selection() const {
        RECT r{std::min(from.x, to.x), std::min(from.y, to.y), std::max(from.x, to.x), std::max(from.y, to.y)};
        r.left = std::clamp<LONG>(r.left, 0, width);
        r.right = std::clamp<LONG>(r.right, 0, width);
        r.top = std::clamp<LONG>(r.top, 0, height);
        r.bottom = std::clamp<LONG>(r.bottom, 0, height);
        return r;
    }
};

void Paint(HWND hwnd, PickerState& state) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    HDC memory = CreateCompatibleDC(hdc);
    HBITMAP old = SelectObject(memory, state.dark);
    BitBlt(hdc, 0, 0, state.width, state.height, memory, 0, 0, SRCCOPY);
    if (state.dragging) {
        const RECT r = state.Selection();
        SelectObject(memory, state.bright);
        BitBlt(hdc, r.left, r.top, r.right - r.left, r.bottom - r.top, memory, r.left, r.top, SRCCOPY);
        HBRUSH frame = CreateSolidBrush(RGB(0x2E, 0x9B, 0xFF));
        RECT outer{r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
        FrameRect(hdc, &outer, frame);
        DeleteObject(frame);
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    // The hint on a dark band at the top.
    RECT band{0, 0, state.width, 36};
    HBRUSH shade = CreateSolidBrush(RGB(0x20, 0x20, 0x20));
    FillRect(hdc, &band, shade);
    DeleteObject(shade);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
    DrawText(hdc, state.hint.c_str(), static_cast<int>(state.hint.size()), &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hwnd, &ps);
}

LRESULT PickerProc(PickerState& state, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (msg) {
        case WM_PAINT: Paint(hwnd, state); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_SETCURSOR: SetCursor(LoadCursor(IDC_CROSS)); return 1;
        case WM_LBUTTONDOWN:
            state.dragging = true;
            state.from = state.to = at;
            SetCapture(hwnd);
            InvalidateRect(hwnd, nullptr, false);
            return 0;
        case WM_MOUSEMOVE:
            if (state.dragging) {
                state.to = at;
                InvalidateRect(hwnd, nullptr, false);
            }
            return 0;
        case WM_LBUTTONUP: {
            if (!state.dragging) return 0;
            state.to = at;
            state.dragging = false;
            ReleaseCapture();
            const RECT r = state.Selection();
            if (r.right - r.left >= CScreenRegionPicker::kMinSide && r.bottom - r.top >= CScreenRegionPicker::kMinSide) {
                state.picked = r;
                state.done = true;
            }
            InvalidateRect(hwnd, nullptr, false);
            return 0;
        }
        case WM_RBUTTONUP: state.done = true; return 0;
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) state.done = true;
            return 0;
        case WM_CLOSE: state.done = true; return 0;
        default: return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

std::optional<RECT> CScreenRegionPicker::Pick(const platform::RgbImage& screenshot, const std::u16string& hint) {
    if (screenshot.width <= 0 || screenshot.height <= 0 || g_window) return std::nullopt;
    // The screenshot holds the screen's device pixels; the window covers the screen in logical
    // ones and shows the screenshot pixel for pixel.
    const double scale = std::max(1.0, platform::GetScreenScale());
    PickerState state;
    state.width = std::max(1, static_cast<int>(std::lround(screenshot.width / scale)));
    state.height = std::max(1, static_cast<int>(std::lround(screenshot.height / scale)));
    state.hint = hint;
    state.bright = platform::CreateBitmapFromRgb(screenshot, scale);
    state.dark = platform::CreateBitmapFromRgb(Darkened(screenshot), scale);
    HWND hwnd = CreateWindowEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, u"", u"", WS_POPUP | WS_VISIBLE, 0, 0, state.width,
                               state.height, nullptr, 0,
                               [&state](HWND h, UINT m, WPARAM w, LPARAM l) { return PickerProc(state, h, m, w, l); });
    if (hwnd) {
        g_window = hwnd;
        SetForegroundWindow(hwnd);
        SetFocus(hwnd);
        MSG msg;
        while (!state.done && IsWindow(hwnd)) {
            if (!GetMessage(&msg)) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // for the enclosing loop
                break;
            }
            DispatchMessage(&msg);
        }
        g_window = nullptr;
        DestroyWindow(hwnd);
    }
    DeleteObject(state.bright);
    DeleteObject(state.dark);
    if (state.picked && scale != 1.0) {
        auto toPicture = [scale](LONG v, int limit) {
            return std::clamp<LONG>(static_cast<LONG>(std::lround(v * scale)), 0, limit);
        };
        RECT& r = *state.picked;
        r = RECT{toPicture(r.left, screenshot.width), toPicture(r.top, screenshot.height),
                 toPicture(r.right, screenshot.width), toPicture(r.bottom, screenshot.height)};
    }
    return state.picked;
}

HWND CScreenRegionPicker::Window() { return g_window; }
