// merovask-xshot: watches and photographs a program's window on an X display (Xvfb on a server),
// without a window manager.
//   merovask-xshot wait --pid PID [--since NS] [--timeout MS]
//       waits until a top-level window of process PID (or of a child of PID) is mapped, then
//       until it is painted (its pixels on the screen are no longer all one colour); prints how
//       long each took, counted from NS (CLOCK_REALTIME nanoseconds, as `date +%s%N` gives) or
//       from this command's start.
//   merovask-xshot grab [--pid PID] OUT.png
//       saves the screen, or only the largest window of PID, as a PNG.
//   merovask-xshot close --pid PID
//       asks the windows of PID to close, as a window manager's close button does.
//   merovask-xshot geometry --pid PID
//       prints "X Y WIDTH HEIGHT" of the largest window of PID on the screen, so that scripts
//       can click into it (xdotool mousemove X+x Y+y click 1).
// Exit status: 0 done, 1 failure or time-out, 2 usage error, 3 the process ended first.
#include <xcb/xcb.h>

#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/imaging.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitProcessEnded = 3;

int64_t realtimeNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// Parent process id and state letter from /proc/PID/stat; nothing once the process is gone.
struct ProcessStat {
    pid_t parent = 0;
    char state = '?';
};

std::optional<ProcessStat> readProcessStat(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(file, line)) return std::nullopt;
    // The command name in parentheses may itself hold spaces and parentheses.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    ProcessStat stat;
    if (std::sscanf(line.c_str() + close + 1, " %c %d", &stat.state, &stat.parent) != 2) return std::nullopt;
    return stat;
}

bool processRunning(pid_t pid) {
    const auto stat = readProcessStat(pid);
    return stat && stat->state != 'Z' && stat->state != 'X';
}

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    int64_t area() const { return static_cast<int64_t>(width) * height; }
};

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template <typename T>
Reply<T> own(T* reply) {
    return Reply<T>(reply, &std::free);
}

class Display {
public:
    static std::unique_ptr<Display> connect() {
        int screenNumber = 0;
        xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(connection)) {
            xcb_disconnect(connection);
            return nullptr;
        }
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
        for (int i = 0; i < screenNumber && it.rem; ++i) xcb_screen_next(&it);
        if (!it.rem) {
            xcb_disconnect(connection);
            return nullptr;
        }
        return std::unique_ptr<Display>(new Display(connection, it.data));
    }
    ~Display() { xcb_disconnect(connection_); }
    Display(const Display&) = delete;
    Display& operator=(const Display&) = delete;

    Rect screenRect() const { return {0, 0, screen_->width_in_pixels, screen_->height_in_pixels}; }

    // The viewable top-level windows of `pid` or of its children, largest first. Under a window
    // manager they sit inside its frames, a level or two below the root.
    std::vector<std::pair<xcb_window_t, Rect>> windowsOf(pid_t pid) {
        std::vector<std::pair<xcb_window_t, Rect>> found;
        collectWindows(screen_->root, pid, 3, found);
        std::stable_sort(found.begin(), found.end(),
                         [](const auto& a, const auto& b) { return a.second.area() > b.second.area(); });
        return found;
    }

    void collectWindows(xcb_window_t parent, pid_t pid, int depth, std::vector<std::pair<xcb_window_t, Rect>>& found) {
        auto tree = own(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, parent), nullptr));
        if (!tree) return;
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        const int count = xcb_query_tree_children_length(tree.get());
        for (int i = 0; i < count; ++i) {
            const xcb_window_t window = children[i];
            auto attributes = own(
                xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, window), nullptr));
            if (!attributes || attributes->map_state != XCB_MAP_STATE_VIEWABLE) continue;
            const auto owner = windowPid(window);
            if (!owner) {
                if (depth > 1) collectWindows(window, pid, depth - 1, found);
                continue;
            }
            if (!(*owner == pid || parentOf(*owner) == pid)) continue;
            if (auto rect = screenRectOf(window)) found.emplace_back(window, *rect);
        }
    }

    // The part of the screen under `rect` (clipped to the screen); empty on failure.
    platform::RgbImage grab(Rect rect) {
        const Rect screen = screenRect();
        const int x0 = std::max(rect.x, 0), y0 = std::max(rect.y, 0);
        const int x1 = std::min(rect.x + rect.width, screen.width), y1 = std::min(rect.y + rect.height, screen.height);
        if (x1 <= x0 || y1 <= y0) return {};
        const int width = x1 - x0, height = y1 - y0;
        auto reply = own(xcb_get_image_reply(
            connection_,
            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, screen_->root, static_cast<int16_t>(x0),
                          static_cast<int16_t>(y0), static_cast<uint16_t>(width), static_cast<uint16_t>(height),
                          ~0u),
            nullptr));
        if (!reply) return {};
        const PixelLayout layout = pixelLayout(reply->depth, reply->visual);
        if (layout.bitsPerPixel != 16 && layout.bitsPerPixel != 24 && layout.bitsPerPixel != 32) return {};
        const size_t stride =
            (static_cast<size_t>(width) * layout.bitsPerPixel + layout.scanlinePad - 1) / layout.scanlinePad *
            layout.scanlinePad / 8;
        const uint8_t* data = xcb_get_image_data(reply.get());
        if (static_cast<size_t>(xcb_get_image_data_length(reply.get())) < stride * height) return {};

        platform::RgbImage image(width, height);
        const int bytesPerPixel = layout.bitsPerPixel / 8;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const uint8_t* source = data + y * stride + static_cast<size_t>(x) * bytesPerPixel;
                uint32_t value = 0;
                for (int b = 0; b < bytesPerPixel; ++b) {
                    const int shift = layout.msbFirst ? 8 * (bytesPerPixel - 1 - b) : 8 * b;
                    value |= static_cast<uint32_t>(source[b]) << shift;
                }
                uint8_t* target = image.pixel(x, y);
                target[0] = channel(value, layout.redMask);
                target[1] = channel(value, layout.greenMask);
                target[2] = channel(value, layout.blueMask);
            }
        }
        return image;
    }

    // Sends WM_DELETE_WINDOW to each window of `pid` that takes it; returns how many did.
    int askToClose(pid_t pid) {
        const xcb_atom_t protocols = atom("WM_PROTOCOLS"), deleteWindow = atom("WM_DELETE_WINDOW");
        int asked = 0;
        for (const auto& [window, rect] : windowsOf(pid)) {
            auto reply = own(xcb_get_property_reply(
                connection_, xcb_get_property(connection_, 0, window, protocols, XCB_ATOM_ATOM, 0, 64), nullptr));
            if (!reply || reply->format != 32) continue;
            const auto* atoms = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
            const int count = xcb_get_property_value_length(reply.get()) / 4;
            if (std::find(atoms, atoms + count, deleteWindow) == atoms + count) continue;
            xcb_client_message_event_t event{};
            event.response_type = XCB_CLIENT_MESSAGE;
            event.format = 32;
            event.window = window;
            event.type = protocols;
            event.data.data32[0] = deleteWindow;
            event.data.data32[1] = XCB_CURRENT_TIME;
            xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
            ++asked;
        }
        xcb_flush(connection_);
        return asked;
    }

private:
    struct PixelLayout {
        int bitsPerPixel = 0;
        int scanlinePad = 32;
        bool msbFirst = false;
        uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    };

    Display(xcb_connection_t* connection, xcb_screen_t* screen) : connection_(connection), screen_(screen) {}

    static uint8_t channel(uint32_t value, uint32_t mask) {
        if (mask == 0) return 0;
        int shift = 0;
        while (!((mask >> shift) & 1u)) ++shift;
        const uint32_t maximum = mask >> shift;
        return static_cast<uint8_t>((((value & mask) >> shift) * 255u + maximum / 2) / maximum);
    }

    PixelLayout pixelLayout(uint8_t depth, xcb_visualid_t visual) const {
        PixelLayout layout;
        const xcb_setup_t* setup = xcb_get_setup(connection_);
        layout.msbFirst = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
        for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
            if (it.data->depth == depth) {
                layout.bitsPerPixel = it.data->bits_per_pixel;
                layout.scanlinePad = std::max<int>(8, it.data->scanline_pad);
            }
        }
        for (auto d = xcb_screen_allowed_depths_iterator(screen_); d.rem; xcb_depth_next(&d)) {
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == visual) {
                    layout.redMask = v.data->red_mask;
                    layout.greenMask = v.data->green_mask;
                    layout.blueMask = v.data->blue_mask;
                }
            }
        }
        return layout;
    }

    xcb_atom_t atom(const char* name) {
        auto reply = own(xcb_intern_atom_reply(
            connection_, xcb_intern_atom(connection_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
        return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    }

    std::optional<pid_t> windowPid(xcb_window_t window) {
        if (netWmPid_ == XCB_ATOM_NONE) netWmPid_ = atom("_NET_WM_PID");
        auto reply = own(xcb_get_property_reply(
            connection_, xcb_get_property(connection_, 0, window, netWmPid_, XCB_ATOM_CARDINAL, 0, 1), nullptr));
        if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) != 4) return std::nullopt;
        return static_cast<pid_t>(*static_cast<const uint32_t*>(xcb_get_property_value(reply.get())));
    }

    static pid_t parentOf(pid_t pid) {
        const auto stat = readProcessStat(pid);
        return stat ? stat->parent : 0;
    }

    std::optional<Rect> screenRectOf(xcb_window_t window) {
        auto geometry = own(xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
        if (!geometry) return std::nullopt;
        auto origin = own(xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, window, screen_->root, 0, 0), nullptr));
        if (!origin) return std::nullopt;
        return Rect{origin->dst_x, origin->dst_y, geometry->width, geometry->height};
    }

    xcb_connection_t* connection_;
    xcb_screen_t* screen_;
    xcb_atom_t netWmPid_ = XCB_ATOM_NONE;
};

bool uniform(const platform::RgbImage& image) {
    if (image.rgb.size() < 3) return true;
    for (size_t i = 3; i < image.rgb.size(); i += 3)
        if (std::memcmp(&image.rgb[i], &image.rgb[0], 3) != 0) return false;
    return true;
}

struct Options {
    std::string command;
    pid_t pid = 0;
    int64_t sinceNs = 0;
    int timeoutMs = 10000;
    std::string output;
};

bool parseNumber(const char* text, int64_t minimum, int64_t& value) {
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || parsed < minimum) return false;
    value = parsed;
    return true;
}

int usage(const std::string& message) {
    std::fprintf(stderr,
                 "merovask-xshot: %s\n"
                 "usage: merovask-xshot wait --pid PID [--since NS] [--timeout MS]\n"
                 "       merovask-xshot grab [--pid PID] OUT.png\n"
                 "       merovask-xshot close --pid PID\n"
                 "       merovask-xshot geometry --pid PID\n",
                 message.c_str());
    return kExitUsage;
}

int waitForWindow(const Options& options) {
    const int64_t since = options.sinceNs ? options.sinceNs : realtimeNs();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.timeoutMs);
    const auto elapsedMs = [&] { return static_cast<double>(realtimeNs() - since) / 1e6; };

    std::unique_ptr<Display> display;
    std::optional<Rect> mapped;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!processRunning(options.pid)) {
            std::fprintf(stderr, "merovask-xshot: process %d ended before its window was painted\n", options.pid);
            return kExitProcessEnded;
        }
        if (!display) display = Display::connect();
        if (display) {
            if (!mapped) {
                const auto windows = display->windowsOf(options.pid);
                if (!windows.empty()) {
                    mapped = windows.front().second;
                    std::printf("window mapped after %.1f ms (%dx%d at %d,%d)\n", elapsedMs(), mapped->width,
                                mapped->height, mapped->x, mapped->y);
                    std::fflush(stdout);
                }
            }
            if (mapped) {
                const platform::RgbImage pixels = display->grab(*mapped);
                if (!pixels.rgb.empty() && !uniform(pixels)) {
                    std::printf("window painted after %.1f ms\n", elapsedMs());
                    return kExitOk;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(mapped ? 5 : 2));
    }
    std::fprintf(stderr, "merovask-xshot: %s within %d ms\n",
                 !display ? "no X display to connect to"
                 : mapped ? "the window was not painted"
                          : "no window was mapped",
                 options.timeoutMs);
    return kExitFailure;
}

int grabPicture(const Options& options) {
    auto display = Display::connect();
    if (!display) {
        std::fprintf(stderr, "merovask-xshot: cannot connect to the X display\n");
        return kExitFailure;
    }
    Rect rect = display->screenRect();
    if (options.pid) {
        const auto windows = display->windowsOf(options.pid);
        if (windows.empty()) {
            std::fprintf(stderr, "merovask-xshot: process %d shows no window\n", options.pid);
            return kExitFailure;
        }
        rect = windows.front().second;
    }
    const platform::RgbImage image = display->grab(rect);
    if (image.rgb.empty()) {
        std::fprintf(stderr, "merovask-xshot: cannot read the screen's pixels\n");
        return kExitFailure;
    }
    std::vector<uint8_t> bytes;
    std::string reason = platform::encodeImage(image, platform::ImageFormat::Png, bytes);
    if (reason.empty()) reason = platform::writeFileAtomically(options.output, bytes);
    if (!reason.empty()) {
        std::fprintf(stderr, "merovask-xshot: %s\n", reason.c_str());
        return kExitFailure;
    }
    return kExitOk;
}

int printGeometry(const Options& options) {
    auto display = Display::connect();
    if (!display) {
        std::fprintf(stderr, "merovask-xshot: cannot connect to the X display\n");
        return kExitFailure;
    }
    const auto windows = display->windowsOf(options.pid);
    if (windows.empty()) {
        std::fprintf(stderr, "merovask-xshot: process %d shows no window\n", options.pid);
        return kExitFailure;
    }
    const Rect& r = windows.front().second;
    std::printf("%d %d %d %d\n", r.x, r.y, r.width, r.height);
    return kExitOk;
}

int closeWindows(const Options& options) {
    auto display = Display::connect();
    if (!display) {
        std::fprintf(stderr, "merovask-xshot: cannot connect to the X display\n");
        return kExitFailure;
    }
    if (display->askToClose(options.pid) == 0) {
        std::fprintf(stderr, "merovask-xshot: process %d shows no window that can be closed\n", options.pid);
        return kExitFailure;
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usage("missing command");
    Options options;
    options.command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string argument = argv[i];
        int64_t value = 0;
        if ((argument == "--pid" || argument == "--since" || argument == "--timeout") && i + 1 < argc) {
            if (!parseNumber(argv[++i], argument == "--since" ? 0 : 1, value) ||
                (argument != "--since" && value > 0x7fffffff))
                return usage("bad value for " + argument);
            if (argument == "--pid") options.pid = static_cast<pid_t>(value);
            if (argument == "--since") options.sinceNs = value;
            if (argument == "--timeout") options.timeoutMs = static_cast<int>(value);
        } else if (argument.rfind("--", 0) == 0) {
            return usage("unknown or incomplete option '" + argument + "'");
        } else if (options.output.empty()) {
            options.output = argument;
        } else {
            return usage("too many arguments");
        }
    }
    if (options.command == "wait" || options.command == "close" || options.command == "geometry") {
        if (!options.pid) return usage("missing --pid");
        if (!options.output.empty()) return usage("too many arguments");
        if (options.command == "geometry") return printGeometry(options);
        return options.command == "wait" ? waitForWindow(options) : closeWindows(options);
    }
    if (options.command == "grab") {
        if (options.output.empty()) return usage("missing output file");
        return grabPicture(options);
    }
    return usage("unknown command '" + options.command + "'");
}
