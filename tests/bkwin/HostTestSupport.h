// Shared by the host and message-box tests: the pools loaded as the program loads them, a
// scripted shell, and a top-level skinned window that records what reaches it.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "bkres/bkfontpool.h"
#include "bkres/bkstringpool.h"
#include "bkwin/bkcontrols.h"
#include "bkwin/bkdialogimpl.h"
#include "bkwin/bkskinpool.h"
#include "bkwin/bkstylepool.h"
#include "bkwin/whroundrectframehelper.h"
#include "platform/shell.h"
#include "platform/testing.h"

namespace hosttest {

namespace input = platform::testing;

// Loads strings, base font, skins and styles once, and installs a scripted shell per test.
class HostTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BkControls::RegisterAll();
        BkString::Clear();
        ASSERT_TRUE(BkString::Load(102));
        BkFontPool::SetDefaultFont(*BkString::Get(0), -12);
        ASSERT_TRUE(BkSkinPool::Load(100));
        ASSERT_TRUE(BkStylePool::Load(101));
    }
    void SetUp() override { platform::SetShellProvider(&shell); }
    void TearDown() override {
        platform::SetShellProvider(nullptr);
        PumpMessages();
    }

    platform::ScriptedShell shell;
};

struct Notification {
    UINT code = 0;
    int id = 0;
    std::string itemClass;
};

// A top-level skinned window with rounded corners that records the host's notifications and
// the system commands it is sent (and swallows the latter, so no real drag starts).
class RecordingDialog : public CBkDialogImpl, public CWHRoundRectFrameHelper {
public:
    std::vector<Notification> notifications;
    std::vector<WPARAM> sysCommands;
    std::function<void(RecordingDialog&)> onInit;
    // Offered every message first; returning true ends its handling.
    std::function<bool(RecordingDialog&, UINT, WPARAM, LPARAM)> onMessage;

    std::vector<Notification> Clicks() const {
        std::vector<Notification> clicks;
        for (const Notification& n : notifications) {
            if (n.code == BKNM_COMMAND) clicks.push_back(n);
        }
        return clicks;
    }

protected:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        ProcessRoundRectMessage(hwnd, msg, wParam, lParam);
        if (onMessage && onMessage(*this, msg, wParam, lParam)) {
            result = 0;
            return true;
        }
        if (msg == WM_INITDIALOG && onInit) {
            onInit(*this);
            result = 1;
            return true;
        }
        if (msg == WM_NOTIFY) {
            const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
            Notification n;
            n.code = hdr->code;
            if (hdr->code == BKNM_COMMAND) {
                const auto* nm = reinterpret_cast<const BKNMCOMMAND*>(lParam);
                n.id = nm->uItemID;
                n.itemClass = nm->szItemClass ? nm->szItemClass : "";
            }
            notifications.push_back(n);
            result = 0;
            return true;
        }
        if (msg == WM_SYSCOMMAND) {
            sysCommands.push_back(wParam);
            result = 0;
            return true;
        }
        return CBkDialogImpl::ProcessWindowMessage(hwnd, msg, wParam, lParam, result);
    }
};

}  // namespace hosttest
