#include "platform/screen_scale.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>

#include "platform/qt/window_state.h"

namespace platform {

double FittingScale(double ratio, int availableWidth, int availableHeight, SIZE fit) {
    double scale = ratio;
    while (scale > 1 && (fit.cx * scale > availableWidth || fit.cy * scale > availableHeight)) {
        scale = std::max(1.0, scale - 0.25);
    }
    return scale;
}

double FitScaleToScreen(int& argc, char** argv, SIZE fit) {
    auto& s = qtdetail::queueState();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !s.ownsApp || Application::isOffscreen()) return screen ? screen->devicePixelRatio() : 1.0;
    const double ratio = screen->devicePixelRatio();
    const QSize available = screen->availableGeometry().size() * ratio;
    const double scale = FittingScale(ratio, available.width(), available.height(), fit);
    if (scale >= ratio) return ratio;
    // Qt takes its scale factor as the application is made: the application is made again with
    // the factor that brings the screen's ratio down to `scale`. The variable is put back after,
    // so that programs started from this one do not inherit it.
    const bool wasSet = qEnvironmentVariableIsSet("QT_SCALE_FACTOR");
    const QByteArray before = qgetenv("QT_SCALE_FACTOR");
    const double factor = before.toDouble() > 0 ? before.toDouble() : 1.0;
    delete s.app;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor * scale / ratio, 'g', 6));
    s.app = new QApplication(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (wasSet) qputenv("QT_SCALE_FACTOR", before);
    else qunsetenv("QT_SCALE_FACTOR");
    screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : scale;
}

}  // namespace platform
