// A Qt 6 window for the desktop tests: a minimum size, a transient dialog, and on request
// maximized (once shown at its normal size, as a user would) or full-screen.
// Usage: desktops_qt_client TITLE [normal|maximized|fullscreen]
#include <QApplication>
#include <QDialog>
#include <QWidget>

namespace {

class Window : public QWidget {
public:
    explicit Window(bool maximizeWhenShown) : maximizeWhenShown_(maximizeWhenShown) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        // The first paint comes once the window is mapped: the window manager has seen its
        // normal size and can restore it.
        if (maximizeWhenShown_) {
            maximizeWhenShown_ = false;
            showMaximized();
        }
        QWidget::paintEvent(event);
    }

private:
    bool maximizeWhenShown_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    const QString title = args.value(1, QStringLiteral("qt-client"));
    const QString mode = args.value(2, QStringLiteral("normal"));
    Window window(mode == QLatin1String("maximized"));
    window.setWindowTitle(title);
    window.setMinimumSize(240, 180);
    window.resize(400, 300);
    window.move(600, 400);
    if (mode == QLatin1String("fullscreen")) {
        window.showFullScreen();
    } else {
        window.show();
    }
    QDialog dialog(&window);  // transient for the window
    dialog.setWindowTitle(title + QStringLiteral("-dialog"));
    dialog.resize(200, 120);
    dialog.move(900, 750);
    if (mode == QLatin1String("normal")) dialog.show();
    return QApplication::exec();
}
