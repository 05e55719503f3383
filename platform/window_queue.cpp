// The message queue, posting and timers: send and post, the quit message, GetMessage loops that
// run Qt's events, the wake-up that delivers posted messages outside such loops, deferred
// deletes, timers, time, and the Qt application the layer runs on.
#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QTimer>

#include <chrono>
#include <thread>

#include "platform/qt/window_internal.h"
#include "platform/qt/window_state.h"

namespace platform {

using qtdetail::WindowPtr;

namespace {

const QEvent::Type kWakeEvent = static_cast<QEvent::Type>(QEvent::User + 417);

void flushDeletes() {
    auto& s = qtdetail::queueState();
    while (!s.pendingDeletes.empty()) {
        std::vector<QPointer<QObject>> batch;
        batch.swap(s.pendingDeletes);
        for (auto& p : batch) {
            if (p) delete p.data();
        }
    }
}

// Posted-message wake-up: delivers queued messages when no GetMessage is waiting for them.
class Dispatcher : public QObject {
public:
    bool event(QEvent* e) override {
        if (e->type() != kWakeEvent) return QObject::event(e);
        qtdetail::EntryGuard guard;
        auto& s = qtdetail::queueState();
        if (!s.waitStack.empty() && s.waitStack.back() == s.procDepth) return true;
        size_t n = s.queue.size();
        while (n-- > 0 && !s.queue.empty()) {
            MSG m = s.queue.front();
            s.queue.pop_front();
            DispatchMessage(&m);
        }
        return true;
    }
};

void wake() {
    auto& s = qtdetail::queueState();
    if (s.dispatcher) QCoreApplication::postEvent(s.dispatcher, new QEvent(kWakeEvent));
}

}  // namespace

namespace qtdetail {

QueueState& queueState() {
    static QueueState s;
    return s;
}

EntryGuard::EntryGuard() { ++queueState().entryDepth; }
EntryGuard::~EntryGuard() {
    if (--queueState().entryDepth == 0) flushDeletes();
}

void scheduleDelete(QObject* object) {
    if (!object) return;
    if (queueState().entryDepth == 0) {
        delete object;
    } else {
        queueState().pendingDeletes.emplace_back(object);
    }
}

}  // namespace qtdetail

// --- Application ---

Application::Application(int& argc, char** argv) {
    auto& s = qtdetail::queueState();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    if (QApplication* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        s.app = existing;
        s.ownsApp = false;
    } else {
        s.app = new QApplication(argc, argv);
        s.ownsApp = true;
    }
    QApplication::setQuitOnLastWindowClosed(false);
    s.dispatcher = new Dispatcher;
    s.timerOwner = new QObject;
}

Application::~Application() {
    auto& s = qtdetail::queueState();
    qtdetail::destroyTopLevelWindows();
    flushDeletes();
    delete s.timerOwner;
    s.timerOwner = nullptr;
    delete s.dispatcher;
    s.dispatcher = nullptr;
    s.queue.clear();
    s.quitWaiting = false;
    if (s.ownsApp) delete s.app;
    s.app = nullptr;
}

bool Application::isOffscreen() { return QGuiApplication::platformName() == QLatin1String("offscreen"); }

void Application::setDesktopFileName(std::string_view id) {
    QGuiApplication::setDesktopFileName(QString::fromUtf8(id.data(), static_cast<qsizetype>(id.size())));
}

// --- Messages ---

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return qtdetail::callProc(qtdetail::lookup(hwnd), msg, wParam, lParam);
}

bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (hwnd && !qtdetail::lookup(hwnd)) return false;
    MSG m;
    m.hwnd = hwnd;
    m.message = msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = GetTickCount();
    qtdetail::queueState().queue.push_back(m);
    wake();
    return true;
}

bool PostMessageFromAnyThread(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return false;
    QMetaObject::invokeMethod(
        app, [=] { PostMessage(hwnd, msg, wParam, lParam); }, Qt::QueuedConnection);
    return true;
}

void PostQuitMessage(int exitCode) {
    qtdetail::queueState().quitWaiting = true;
    qtdetail::queueState().quitCode = exitCode;
    wake();
}

namespace {

bool qualifies(const MSG& m, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (hwnd && m.hwnd != hwnd && !IsChild(hwnd, m.hwnd)) return false;
    if (filterMin == 0 && filterMax == 0) return true;
    return m.message >= filterMin && m.message <= filterMax;
}

bool takeQueued(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, bool remove) {
    auto& q = qtdetail::queueState().queue;
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (!qualifies(*it, hwnd, filterMin, filterMax)) continue;
        if (msg) *msg = *it;
        if (remove) q.erase(it);
        return true;
    }
    return false;
}

bool quitQualifies(UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
}

void fillQuit(MSG* msg) {
    if (!msg) return;
    *msg = MSG{};
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(qtdetail::queueState().quitCode);
}

}  // namespace

bool PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags) {
    const bool remove = removeFlags & PM_REMOVE;
    if (takeQueued(msg, hwnd, filterMin, filterMax, remove)) return true;
    auto& s = qtdetail::queueState();
    if (s.quitWaiting && quitQualifies(filterMin, filterMax)) {
        fillQuit(msg);
        if (remove) s.quitWaiting = false;
        return true;
    }
    return false;
}

int GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    auto& s = qtdetail::queueState();
    MSG local;
    if (!msg) msg = &local;
    bool roundDone = false;
    while (true) {
        if (takeQueued(msg, hwnd, filterMin, filterMax, true)) return 1;
        if (roundDone) {
            *msg = MSG{};
            return 1;
        }
        if (s.quitWaiting) {
            fillQuit(msg);
            s.quitWaiting = false;
            return 0;
        }
        s.waitStack.push_back(s.procDepth);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
        s.waitStack.pop_back();
        if (s.entryDepth == 0) flushDeletes();
        roundDone = true;
    }
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg || !msg->hwnd) return 0;
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

void PumpMessages() {
    auto& s = qtdetail::queueState();
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        size_t n = s.queue.size();
        while (n-- > 0 && !s.queue.empty()) {
            MSG m = s.queue.front();
            s.queue.pop_front();
            DispatchMessage(&m);
        }
        if (s.entryDepth == 0) flushDeletes();
        if (s.queue.empty()) break;
    }
}

// --- Timers ---

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapseMs) {
    WindowPtr w = qtdetail::lookup(hwnd);
    auto& s = qtdetail::queueState();
    if (!w || !s.timerOwner) return 0;
    QPointer<QTimer>& slot = w->timers[id];
    if (!slot) {
        auto* timer = new QTimer(s.timerOwner);
        slot = timer;
        QObject::connect(timer, &QTimer::timeout, timer, [hwnd, id] {
            qtdetail::EntryGuard guard;
            if (WindowPtr target = qtdetail::lookup(hwnd)) qtdetail::callProc(target, WM_TIMER, id, 0);
        });
    }
    slot->start(static_cast<int>(std::max<UINT>(elapseMs, 1)));
    return id;
}

bool KillTimer(HWND hwnd, UINT_PTR id) {
    WindowPtr w = qtdetail::lookup(hwnd);
    if (!w) return false;
    auto it = w->timers.find(id);
    if (it == w->timers.end()) return false;
    if (it->second) {
        it->second->stop();
        qtdetail::scheduleDelete(it->second.data());
    }
    w->timers.erase(it);
    return true;
}

DWORD GetTickCount() {
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Sleep(DWORD ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace platform
