// A Qt 6 window for the desktop tests: a minimum size, a transient dialog, and on request
// maximized or full-screen. Usage: desktops_qt_client TITLE [normal|maximized|fullscreen]
#include <QApplication>
#include <QDialog>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString title = args.value(1, QStringLiteral("qt-client"));
    const QString mode = args.value(2, QStringLiteral("normal"));
    QWidget window;
    window.setWindowTitle(title);
    window.setMinimumSize(240, 180);
    window.resize(400, 300);
    window.move(600, 150);
    if (mode == QLatin1String("maximized")) {
        window.showMaximized();
    } else if (mode == QLatin1String("fullscreen")) {
        window.showFullScreen();
    } else {
        window.show();
    }
    QDialog dialog(&window);  // transient for the window
    dialog.setWindowTitle(title + QStringLiteral("-dialog"));
    dialog.resize(200, 120);
    dialog.move(900, 500);
    if (mode == QLatin1String("normal")) dialog.show();
    return QApplication::exec();
}
