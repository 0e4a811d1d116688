// A Qt 6 test window: `gnome_qt_window TITLE WIDTH HEIGHT`, native on Wayland.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) return 2;
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[1]));
    window.resize(QString::fromLocal8Bit(argv[2]).toInt(), QString::fromLocal8Bit(argv[3]).toInt());
    window.show();
    return QApplication::exec();
}
