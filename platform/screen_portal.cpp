// The Wayland screen grab: the desktop portal's Screenshot call over the session bus (GDBus),
// and the choice between it and X11.
//
// The portal answers the call with a request object and later sends that object's Response
// signal: 0 and the picture's file URI, 1 when the user cancelled, 2 otherwise. The request's
// path is known before the call (it is made of our bus name and a token we choose), so the
// signal is subscribed to first and cannot be missed.
#include <gio/gio.h>

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/screen.h"

namespace platform {

namespace {

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";

struct PortalAnswer {
    bool arrived = false;
    guint32 response = 2;
    std::string uri;
};

void onResponse(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*, GVariant* parameters,
                gpointer data) {
    auto* answer = static_cast<PortalAnswer*>(data);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ua{sv})"))) return;
    GVariant* results = nullptr;
    g_variant_get(parameters, "(u@a{sv})", &answer->response, &results);
    const gchar* uri = nullptr;
    if (g_variant_lookup(results, "uri", "&s", &uri) && uri) answer->uri = uri;
    g_variant_unref(results);
    answer->arrived = true;
}

gboolean onTimeout(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

// A token of our own for the request path: letters, digits and underscores only.
std::string requestToken() {
    static std::atomic<unsigned> counter{0};
    return "merovask_" + std::to_string(::getpid()) + "_" + std::to_string(++counter);
}

// "/org/freedesktop/portal/desktop/request/1_42/TOKEN" for the bus name ":1.42".
std::string requestPath(const char* uniqueName, const std::string& token) {
    std::string sender = uniqueName && *uniqueName == ':' ? uniqueName + 1 : (uniqueName ? uniqueName : "");
    for (char& c : sender) {
        if (c == '.') c = '_';
    }
    return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

// The remote errors that mean "no portal here" rather than "the portal failed".
bool meansNoPortal(const GError* error) {
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_METHOD) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_INTERFACE) ||
        g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_UNKNOWN_OBJECT))
        return true;
    return false;
}

// The portal's call on `bus`, its answer awaited in `context` (this thread's default).
ScreenGrab askPortal(GDBusConnection* bus, GMainContext* context, int timeoutMs) {
    ScreenGrab grab;
    const std::string token = requestToken();
    std::string path = requestPath(g_dbus_connection_get_unique_name(bus), token);
    PortalAnswer answer;
    guint subscription = g_dbus_connection_signal_subscribe(bus, nullptr, "org.freedesktop.portal.Request", "Response",
                                                            path.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
                                                            onResponse, &answer, nullptr);

    GVariantBuilder options;
    g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
    g_variant_builder_add(&options, "{sv}", "handle_token", g_variant_new_string(token.c_str()));
    g_variant_builder_add(&options, "{sv}", "interactive", g_variant_new_boolean(FALSE));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, kPortalService, kPortalPath, "org.freedesktop.portal.Screenshot",
                                                  "Screenshot", g_variant_new("(sa{sv})", "", &options),
                                                  G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr,
                                                  &error);
    if (!reply) {
        grab.error = meansNoPortal(error) ? ScreenGrabError::NoPortal : ScreenGrabError::Failed;
        grab.detail = grab.error == ScreenGrabError::NoPortal
                          ? "screen capture on Wayland needs the desktop portal (xdg-desktop-portal), and none answers"
                          : std::string("the desktop portal failed: ") + error->message;
        g_error_free(error);
        g_dbus_connection_signal_unsubscribe(bus, subscription);
        return grab;
    }
    const gchar* handle = nullptr;
    g_variant_get(reply, "(&o)", &handle);
    if (handle && path != handle) {  // a portal older than the handle token: listen where it says
        g_dbus_connection_signal_unsubscribe(bus, subscription);
        path = handle;
        subscription = g_dbus_connection_signal_subscribe(bus, nullptr, "org.freedesktop.portal.Request", "Response",
                                                          path.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE, onResponse,
                                                          &answer, nullptr);
    }
    g_variant_unref(reply);

    bool timedOut = false;
    GSource* timer = g_timeout_source_new(static_cast<guint>(timeoutMs));
    g_source_set_callback(timer, onTimeout, &timedOut, nullptr);
    g_source_attach(timer, context);
    while (!answer.arrived && !timedOut) g_main_context_iteration(context, TRUE);
    g_source_destroy(timer);
    g_source_unref(timer);
    g_dbus_connection_signal_unsubscribe(bus, subscription);

    if (!answer.arrived) {
        grab.error = ScreenGrabError::Failed;
        grab.detail = "the desktop portal did not answer in time";
    } else if (answer.response == 1) {
        grab.error = ScreenGrabError::Refused;
        grab.detail = "the screenshot was cancelled";
    } else if (answer.response != 0 || answer.uri.empty()) {
        grab.error = ScreenGrabError::Refused;
        grab.detail = "the desktop portal refused the screenshot";
    } else {
        gchar* file = g_filename_from_uri(answer.uri.c_str(), nullptr, nullptr);
        const std::string reason = file ? decodeImageFile(file, grab.picture) : "not a local file: " + answer.uri;
        g_free(file);
        if (!reason.empty()) {
            grab.error = ScreenGrabError::Failed;
            grab.detail = "cannot read the portal's screenshot: " + reason;
        }
    }
    return grab;
}

}  // namespace

ScreenGrab GrabPortalScreenshot(int timeoutMs) {
    ScreenGrab grab;
    GError* error = nullptr;
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    GDBusConnection* bus = nullptr;
    if (address) {
        // A connection of our own, so that the portal's signal arrives in our context whatever
        // else the process does with the shared one.
        bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, &error);
        g_free(address);
    }
    if (!bus) {
        grab.error = ScreenGrabError::NoPortal;
        grab.detail = std::string("screen capture on Wayland needs the desktop portal, and there is no session bus (") +
                      (error ? error->message : "unknown error") + ")";
        if (error) g_error_free(error);
        return grab;
    }
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    grab = askPortal(bus, context, timeoutMs);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    // Whatever the closed connection still queued runs here, not in another thread's context.
    while (g_main_context_iteration(context, FALSE)) {
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return grab;
}

ScreenBackend ScreenBackendFor(const char* waylandDisplay, const char* sessionType, const char* x11Display) {
    if ((waylandDisplay && *waylandDisplay) || (sessionType && std::strcmp(sessionType, "wayland") == 0))
        return ScreenBackend::WaylandPortal;
    if (x11Display && *x11Display) return ScreenBackend::X11;
    return ScreenBackend::None;
}

ScreenGrab GrabScreen() {
    switch (ScreenBackendFor(std::getenv("WAYLAND_DISPLAY"), std::getenv("XDG_SESSION_TYPE"), std::getenv("DISPLAY"))) {
        case ScreenBackend::WaylandPortal: return GrabPortalScreenshot();
        case ScreenBackend::X11: return GrabX11Screens();
        case ScreenBackend::None: break;
    }
    return ScreenGrab{ScreenGrabError::NoDisplay, "no display to grab (neither WAYLAND_DISPLAY nor DISPLAY is set)", {}};
}

}  // namespace platform
