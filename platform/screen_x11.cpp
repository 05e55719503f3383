// The X11 screen grab: the root window of every screen of the display, read with GetImage.
// Monitors joined by RandR share one root, so one root covers them all; separate X screens
// (rare) are put side by side.
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/screen.h"

namespace platform {

namespace {

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

// How the server lays out the pixels of a root window's visual.
struct PixelLayout {
    int bitsPerPixel = 0;
    int scanlinePad = 32;
    bool msbFirst = false;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

PixelLayout pixelLayoutOf(const xcb_setup_t* setup, const xcb_screen_t* screen, uint8_t depth, xcb_visualid_t visual) {
    PixelLayout layout;
    layout.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth) {
            layout.bitsPerPixel = it.data->bits_per_pixel;
            layout.scanlinePad = std::max<int>(8, it.data->scanline_pad);
        }
    }
    for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
        for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
            if (v.data->visual_id == visual) {
                layout.masks[0] = v.data->red_mask;
                layout.masks[1] = v.data->green_mask;
                layout.masks[2] = v.data->blue_mask;
            }
        }
    }
    return layout;
}

// The 8-bit value of the channel under `mask` in a pixel value.
uint8_t channel(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const uint32_t max = mask >> shift;
    return static_cast<uint8_t>(((value & mask) >> shift) * 255 / max);
}

// Copies rows [top, top + rows) of the root of `screen` into `out` at column `left`; a reason on
// failure.
std::string grabRows(xcb_connection_t* connection, const xcb_screen_t* screen, int top, int rows, int left,
                     RgbImage& out) {
    const int width = screen->width_in_pixels;
    auto reply = own(xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, screen->root, 0, static_cast<int16_t>(top),
                      static_cast<uint16_t>(width), static_cast<uint16_t>(rows), ~0u),
        nullptr));
    if (!reply) return "the X server refused to read the screen";
    const PixelLayout layout = pixelLayoutOf(xcb_get_setup(connection), screen, reply->depth, reply->visual);
    if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32)
        return "the screen's pixel format (" + std::to_string(layout.bitsPerPixel) + " bits) is not supported";
    const size_t stride = (static_cast<size_t>(width) * layout.bitsPerPixel + layout.scanlinePad - 1) /
                          layout.scanlinePad * layout.scanlinePad / 8;
    const uint8_t* data = xcb_get_image_data(reply.get());
    if (static_cast<size_t>(xcb_get_image_data_length(reply.get())) < stride * rows)
        return "the X server sent less of the screen than asked for";

    const int bytesPerPixel = layout.bitsPerPixel / 8;
    const bool fast = bytesPerPixel == 4 && !layout.msbFirst && layout.masks[0] == 0xFF0000 &&
                      layout.masks[1] == 0xFF00 && layout.masks[2] == 0xFF;
    for (int y = 0; y < rows; ++y) {
        const uint8_t* source = data + y * stride;
        uint8_t* target = out.pixel(left, top + y);
        if (fast) {  // the usual 24-bit colour in 32-bit pixels: B, G, R, X in memory
            for (int x = 0; x < width; ++x, source += 4, target += 3) {
                target[0] = source[2];
                target[1] = source[1];
                target[2] = source[0];
            }
            continue;
        }
        for (int x = 0; x < width; ++x, source += bytesPerPixel, target += 3) {
            uint32_t value = 0;
            for (int b = 0; b < bytesPerPixel; ++b) {
                const int shift = layout.msbFirst ? 8 * (bytesPerPixel - 1 - b) : 8 * b;
                value |= static_cast<uint32_t>(source[b]) << shift;
            }
            for (int c = 0; c < 3; ++c) target[c] = channel(value, layout.masks[c]);
        }
    }
    return {};
}

}  // namespace

ScreenGrab GrabX11Screens(const char* display) {
    ScreenGrab grab;
    const char* name = display ? display : std::getenv("DISPLAY");
    if (!name || !*name) {
        grab.error = ScreenGrabError::NoDisplay;
        grab.detail = "no X display (DISPLAY is not set)";
        return grab;
    }
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(name, nullptr),
                                                                            &xcb_disconnect);
    if (xcb_connection_has_error(connection.get())) {
        grab.error = ScreenGrabError::Failed;
        grab.detail = std::string("cannot connect to the X display ") + name;
        return grab;
    }
    std::vector<const xcb_screen_t*> screens;
    int width = 0, height = 0;
    for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection.get())); it.rem; xcb_screen_next(&it)) {
        screens.push_back(it.data);
        width += it.data->width_in_pixels;
        height = std::max<int>(height, it.data->height_in_pixels);
    }
    if (screens.empty() || width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        static_cast<int64_t>(width) * height > kMaxImagePixels) {
        grab.error = ScreenGrabError::Failed;
        grab.detail = "the X display's screens are empty or larger than a picture may be";
        return grab;
    }
    grab.picture = RgbImage(width, height, 0);
    int left = 0;
    for (const xcb_screen_t* screen : screens) {
        // In strips, so that no single reply grows beyond a few megabytes.
        const int stripRows = std::max(1, (4 << 20) / std::max(1, screen->width_in_pixels * 4));
        for (int top = 0; top < screen->height_in_pixels; top += stripRows) {
            const int rows = std::min(stripRows, screen->height_in_pixels - top);
            const std::string reason = grabRows(connection.get(), screen, top, rows, left, grab.picture);
            if (!reason.empty()) {
                grab = ScreenGrab{ScreenGrabError::Failed, reason, {}};
                return grab;
            }
        }
        left += screen->width_in_pixels;
    }
    return grab;
}

}  // namespace platform
