// The state the window functions share, in two parts: the message queue's (posted messages, the
// waiting quit, nesting of procedures and GetMessage loops, deferred deletes, the Qt objects that
// carry wake-ups and timers) and the input's (capture, the window under the mouse, the cursor,
// modifiers and buttons of the last input event, the last active window). The window table
// itself stays in window.cpp behind qtdetail::lookup. Not for use outside platform/.
#pragma once

#include <QPointer>

#include <deque>
#include <vector>

#include "platform/window.h"

class QApplication;
class QObject;

namespace platform::qtdetail {

struct QueueState {
    std::deque<MSG> queue;
    bool quitWaiting = false;
    int quitCode = 0;
    std::vector<int> waitStack;  // procDepth at each waiting GetMessage
    int procDepth = 0;

    int entryDepth = 0;
    std::vector<QPointer<QObject>> pendingDeletes;

    QObject* dispatcher = nullptr;
    QObject* timerOwner = nullptr;
    QApplication* app = nullptr;
    bool ownsApp = false;
};

struct InputState {
    HWND capture = nullptr;
    HWND mouseOver = nullptr;
    HWND cursorWindow = nullptr;
    HCURSOR currentCursor = nullptr;
    Qt::KeyboardModifiers modifiers;
    Qt::MouseButtons buttons;
    HWND lastActive = nullptr;
};

QueueState& queueState();
InputState& inputState();

}  // namespace platform::qtdetail
