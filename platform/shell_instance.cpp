// The single instance: the lock every start takes, and the local socket beside it through which
// a later start asks the running instance to come forward.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/qt/window_internal.h"
#include "platform/shell.h"
#include "platform/text.h"

namespace platform {

namespace {

// One line per request.
constexpr char kForegroundRequest[] = "foreground\n";
constexpr char kScanScreenRequest[] = "scan-screen\n";

const char* requestLine(InstanceRequest request) {
    return request == InstanceRequest::ScanScreen ? kScanScreenRequest : kForegroundRequest;
}

std::string lockDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat st {};
    if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode)) return runtime;
    return std::string();
}

// The socket beside the lock: "<name>.socket" for "<name>.lock".
QString socketPathOf(const NamedMutex& mutex) {
    std::string path = mutex.path();
    const std::string lock = ".lock";
    if (path.size() >= lock.size() && path.compare(path.size() - lock.size(), lock.size(), lock) == 0) {
        path.resize(path.size() - lock.size());
    }
    return QString::fromStdString(path + ".socket");
}

}  // namespace

NamedMutex::NamedMutex(std::u16string_view name) {
    std::string file = utf16ToUtf8(name);
    for (char& c : file) {
        if (c == '/' || c == '\0') c = '_';
    }
    const std::string dir = lockDirectory();
    if (!dir.empty()) {
        path_ = dir + "/" + file + ".lock";
    } else {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + file + "-" + std::to_string(::getuid()) + ".lock";
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        alreadyExists_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

NamedMutex::~NamedMutex() {
    if (fd_ >= 0) ::close(fd_);
}

struct InstanceChannel::Listener {
    QLocalServer server;
    std::function<void(InstanceRequest)> onRequest;
};

InstanceChannel::InstanceChannel(const NamedMutex& mutex, std::function<void(InstanceRequest)> onRequest) {
    if (!mutex.owned() || mutex.path().empty()) return;
    auto listener = std::make_unique<Listener>();
    listener->onRequest = std::move(onRequest);
    const QString path = socketPathOf(mutex);
    // A socket left by an instance that ended without closing it; the lock says none runs.
    QLocalServer::removeServer(path);
    listener->server.setSocketOptions(QLocalServer::UserAccessOption);
    if (!listener->server.listen(path)) return;
    Listener* raw = listener.get();
    QObject::connect(&raw->server, &QLocalServer::newConnection, &raw->server, [raw] {
        while (QLocalSocket* socket = raw->server.nextPendingConnection()) {
            auto readRequest = [raw, socket] {
                if (!socket->canReadLine()) return;
                const QByteArray line = socket->readLine(64);
                socket->disconnectFromServer();
                std::optional<InstanceRequest> request;
                if (line == kForegroundRequest) request = InstanceRequest::Foreground;
                if (line == kScanScreenRequest) request = InstanceRequest::ScanScreen;
                if (request && raw->onRequest) {
                    qtdetail::EntryGuard guard;
                    raw->onRequest(*request);
                }
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, readRequest);
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            readRequest();  // what came with the connection
        }
    });
    listener_ = std::move(listener);
}

InstanceChannel::~InstanceChannel() = default;

bool InstanceChannel::listening() const { return listener_ && listener_->server.isListening(); }

bool InstanceChannel::send(const NamedMutex& mutex, InstanceRequest request, int timeoutMs) {
    if (mutex.path().empty()) return false;
    QLocalSocket socket;
    socket.connectToServer(socketPathOf(mutex));
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(requestLine(request));
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    return sent;
}

}  // namespace platform
