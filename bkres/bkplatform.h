// The framework is written in the platform layer's Win32 vocabulary (RECT, HDC, DrawText,
// WM_PAINT, ...); this brings those names in unqualified for bkres/ and bkwin/.
#pragma once

#include "platform/font.h"
#include "platform/gdi.h"
#include "platform/types.h"
#include "platform/window.h"

using namespace platform;
