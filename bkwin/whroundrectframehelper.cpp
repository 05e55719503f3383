#include "bkwin/whroundrectframehelper.h"

HRGN CWHRoundRectFrameHelper::CreateRoundRectRegion(int width, int height) {
    if (width < 4 || height < 4) return nullptr;
    HRGN region = CreateRectRgn(0, 2, width, height - 2);
    const RECT rows[] = {
        {2, 0, width - 2, 1},
        {1, 1, width - 1, 2},
        {1, height - 2, width - 1, height - 1},
        {2, height - 1, width - 2, height},
    };
    for (const RECT& row : rows) {
        HRGN part = CreateRectRgnIndirect(&row);
        CombineRgn(region, region, part, RGN_OR);
        DeleteObject(part);
    }
    return region;
}

bool CWHRoundRectFrameHelper::ProcessRoundRectMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_SIZE || wParam == SIZE_MINIMIZED) return false;
    const SIZE size{LOWORD(static_cast<uintptr_t>(lParam)), HIWORD(static_cast<uintptr_t>(lParam))};
    if (size == m_sizeWnd) return false;
    m_sizeWnd = size;
    // The window takes the region over.
    SetWindowRgn(hwnd, CreateRoundRectRegion(size.cx, size.cy), true);
    return false;
}
