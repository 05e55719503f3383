// The Wayland screen grab against a stand-in desktop portal on a private session bus
// (dbus-run-session): the request path, the options and the answer as a real portal has them.
#include <gio/gio.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

#include "platform/imaging.h"
#include "platform/screen.h"

namespace {

constexpr char kPortalXml[] =
    "<node><interface name='org.freedesktop.portal.Screenshot'>"
    "<method name='Screenshot'><arg type='s' direction='in'/><arg type='a{sv}' direction='in'/>"
    "<arg type='o' direction='out'/></method></interface></node>";

// Owns org.freedesktop.portal.Desktop on its own connection and thread, and answers every
// Screenshot call with `response` and the file URI `uri`, on the request path a portal uses.
class FakePortal {
public:
    FakePortal(guint32 response, std::string uri) : response_(response), uri_(std::move(uri)) {
        context_ = g_main_context_new();
        thread_ = std::thread([this] { run(); });
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return started_; });
    }
    ~FakePortal() {
        g_main_context_invoke(context_, &FakePortal::quit, loop_);
        thread_.join();
        g_main_context_unref(context_);
    }
    bool owned() const { return owned_; }
    const std::string& lastOptions() const { return options_; }

private:
    void run() {
        g_main_context_push_thread_default(context_);
        loop_ = g_main_loop_new(context_, FALSE);
        gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
            address,
            static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                              G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
            nullptr, nullptr, nullptr);
        g_free(address);
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kPortalXml, nullptr);
        static const GDBusInterfaceVTable vtable = {&FakePortal::onCall, nullptr, nullptr, {}};
        g_dbus_connection_register_object(bus, "/org/freedesktop/portal/desktop", node->interfaces[0], &vtable, this,
                                          nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                      "org.freedesktop.DBus", "RequestName",
                                                      g_variant_new("(su)", "org.freedesktop.portal.Desktop", 4u),
                                                      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
                                                      nullptr);
        if (reply) {
            guint32 result = 0;
            g_variant_get(reply, "(u)", &result);
            owned_ = result == 1;
            g_variant_unref(reply);
        }
        {
            std::lock_guard lock(mutex_);
            started_ = true;
        }
        ready_.notify_all();
        g_main_loop_run(loop_);
        g_dbus_connection_close_sync(bus, nullptr, nullptr);
        g_object_unref(bus);
        g_dbus_node_info_unref(node);
        g_main_loop_unref(loop_);
        g_main_context_pop_thread_default(context_);
    }

    static gboolean quit(gpointer loop) {
        g_main_loop_quit(static_cast<GMainLoop*>(loop));
        return G_SOURCE_REMOVE;
    }

    static void onCall(GDBusConnection* bus, const gchar* sender, const gchar*, const gchar*, const gchar*,
                       GVariant* parameters, GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<FakePortal*>(data);
        GVariant* options = g_variant_get_child_value(parameters, 1);
        gchar* printed = g_variant_print(options, FALSE);
        self->options_ = printed;
        g_free(printed);
        const gchar* token = "t";
        g_variant_lookup(options, "handle_token", "&s", &token);
        std::string name = sender + 1;  // ":1.7" becomes "1_7"
        for (char& c : name) {
            if (c == '.') c = '_';
        }
        const std::string path = "/org/freedesktop/portal/desktop/request/" + name + "/" + token;
        g_variant_unref(options);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(o)", path.c_str()));
        GVariantBuilder results;
        g_variant_builder_init(&results, G_VARIANT_TYPE_VARDICT);
        if (!self->uri_.empty()) g_variant_builder_add(&results, "{sv}", "uri", g_variant_new_string(self->uri_.c_str()));
        g_dbus_connection_emit_signal(bus, sender, path.c_str(), "org.freedesktop.portal.Request", "Response",
                                      g_variant_new("(ua{sv})", self->response_, &results), nullptr);
    }

    guint32 response_;
    std::string uri_;
    std::string options_;
    GMainContext* context_ = nullptr;
    GMainLoop* loop_ = nullptr;
    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable ready_;
    bool started_ = false;
    bool owned_ = false;
};

class PortalScreenshot : public ::testing::Test {
protected:
    void SetUp() override {
        const char* bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        if (!bus || !*bus) GTEST_SKIP() << "needs a session bus (run under dbus-run-session)";
    }
};

TEST_F(PortalScreenshot, ReadsThePictureThePortalSaved) {
    platform::RgbImage screen(64, 48, 0xFF);
    screen.pixel(10, 20)[0] = 0xC0;  // one reddish pixel to find again
    std::vector<uint8_t> png;
    ASSERT_EQ(platform::encodeImage(screen, platform::ImageFormat::Png, png), "");
    const std::string file = ::testing::TempDir() + "portal shot " + std::to_string(::getpid()) + ".png";
    ASSERT_EQ(platform::writeFileAtomically(file, png), "");
    gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
    FakePortal portal(0, uri);
    g_free(uri);
    ASSERT_TRUE(portal.owned());

    // A Wayland session goes to the portal, whatever X display there is besides.
    ::setenv("WAYLAND_DISPLAY", "wayland-test", 1);
    const platform::ScreenGrab grab = platform::GrabScreen();
    ::unsetenv("WAYLAND_DISPLAY");
    EXPECT_EQ(grab.error, platform::ScreenGrabError::None) << grab.detail;
    ASSERT_EQ(grab.picture.width, 64);
    ASSERT_EQ(grab.picture.height, 48);
    EXPECT_EQ(grab.picture.pixel(10, 20)[0], 0xC0);
    EXPECT_EQ(grab.picture.pixel(11, 20)[0], 0xFF);
    // Without the dialog, and with the token the request path was made of.
    EXPECT_NE(portal.lastOptions().find("'interactive': <false>"), std::string::npos) << portal.lastOptions();
    std::remove(file.c_str());
}

TEST_F(PortalScreenshot, CancelledAndMissingPortalAreSaidApart) {
    {
        FakePortal portal(1, "");
        ASSERT_TRUE(portal.owned());
        const platform::ScreenGrab grab = platform::GrabPortalScreenshot(5000);
        EXPECT_EQ(grab.error, platform::ScreenGrabError::Refused) << grab.detail;
        EXPECT_TRUE(grab.picture.rgb.empty());
    }
    const platform::ScreenGrab grab = platform::GrabPortalScreenshot(5000);
    EXPECT_EQ(grab.error, platform::ScreenGrabError::NoPortal) << grab.detail;
    EXPECT_NE(grab.detail.find("desktop portal"), std::string::npos) << grab.detail;
}

}  // namespace
