#include "KWinFixture.h"

#include <cstdio>

#include <wayland-client.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

#include "fake-input-client-protocol.h"
#include "platform/wayland/kde/KWinScripting.h"

namespace tugworth::wayland::kde::test {

namespace {

const QString kSocket = QStringLiteral("wayland-tugworth-test");
QProcess* kwinProcess = nullptr;

// Receives the probe script's report.
class ProbeReceiver final : public QDBusVirtualObject {
public:
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        report = message.arguments().value(0).toString();
        connection.send(message.createReply());
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
    std::optional<QString> report;
};

bool writeFile(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text.toUtf8()) >= 0;
}

Client startClient(const QString& program, const QStringList& arguments, const char* toolkitVar,
                   const char* toolkitValue) {
    Client client(new QProcess);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", kSocket);
    env.insert(toolkitVar, toolkitValue);
    client->setProcessEnvironment(env);
    client->setStandardErrorFile(QProcess::nullDevice());
    client->start(program, arguments);
    return client;
}

}  // namespace

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void StopClient::operator()(QProcess* client) const {
    client->kill();
    client->waitForFinished(3000);
    delete client;
}

namespace kwin {

QString socketName() {
    return kSocket;
}
QString workDir() {
    return qEnvironmentVariable("TUGWORTH_KDE_WORK");
}

bool start() {
    // KWin offers fake input to the tests, and keystate to the program, only as their desktop
    // entries ask.
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + "/applications/";
    const QString entry = QStringLiteral(
        "[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nX-KDE-Wayland-Interfaces=%3\n");
    if (!QDir().mkpath(applications) ||
        !writeFile(applications + "tugworth-kde-test.desktop",
                   entry.arg("Tugworth KDE test", QCoreApplication::applicationFilePath(),
                             "org_kde_kwin_fake_input")) ||
        !writeFile(applications + "tugworth.desktop",
                   entry.arg("Tugworth", workDir() + "/bin/tugworth", "org_kde_kwin_keystate"))) {
        return false;
    }
    kwinProcess = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KWIN_COMPOSE", "Q");  // QPainter: no GL work on a busy machine
    kwinProcess->setProcessEnvironment(env);
    kwinProcess->setStandardErrorFile(workDir() + "/kwin.log");
    kwinProcess->start(workDir() + "/kwin_wayland",
                       {"--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket",
                        kSocket, "--width", "1280", "--height", "800"});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    if (waitFor([&] { return bus->isServiceRegistered("org.kde.KWin").value(); }, 10000)) {
        return true;
    }
    QFile log(workDir() + "/kwin.log");
    log.open(QIODevice::ReadOnly);
    std::fprintf(stderr, "KWin did not come up:\n%s\n", log.readAll().right(2000).constData());
    return false;
}

void stop() {
    if (kwinProcess == nullptr) return;
    kwinProcess->terminate();
    kwinProcess->waitForFinished(3000);
    delete kwinProcess;
}

Client startQtClient(const QString& title) {
    return startClient(QCoreApplication::applicationFilePath(), {"--qt-client", title},
                       "QT_QPA_PLATFORM", "wayland");
}

Client startGtkClient(const QString& title) {
    return startClient("zenity", {"--text-info", "--title", title}, "GDK_BACKEND", "wayland");
}

std::optional<Rect> frameOf(const QString& title) {
    static int probes = 0;
    const QString name = QStringLiteral("tugworth-probe-%1").arg(++probes);
    const QString path = workDir() + "/" + name + ".js";
    const QString script = QStringLiteral(
        "var all = typeof workspace.windowList === 'function' ? workspace.windowList() : "
        "workspace.clientList();\n"
        "var found = all.filter(function (w) { return String(w.caption) === '%1'; });\n"
        "var g = found.length ? found[0].frameGeometry : null;\n"
        "callDBus('%2', '/probe', 'org.tugworth.Probe', 'report', JSON.stringify(g && "
        "{x: g.x, y: g.y, width: g.width, height: g.height}));\n");
    ProbeReceiver receiver;
    QDBusConnection::sessionBus().registerVirtualObject("/probe", &receiver);
    std::string error;
    std::optional<Rect> frame;
    if (writeFile(path, script.arg(title, QDBusConnection::sessionBus().baseService())) &&
        loadAndRunScript(path, name, error) &&
        waitFor([&] { return receiver.report.has_value(); })) {
        const QJsonObject g = QJsonDocument::fromJson(receiver.report->toUtf8()).object();
        if (!g.isEmpty()) {
            frame = Rect{g["x"].toDouble(), g["y"].toDouble(), g["width"].toDouble(),
                         g["height"].toDouble()};
        }
    }
    unloadScript(name);
    QDBusConnection::sessionBus().unregisterObject("/probe");
    return frame;
}

}  // namespace kwin

namespace {

void bindFakeInput(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t) {
    if (QLatin1String(interface) != QLatin1String(org_kde_kwin_fake_input_interface.name)) return;
    *static_cast<org_kde_kwin_fake_input**>(data) = static_cast<org_kde_kwin_fake_input*>(
        wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, 4));
}

void ignoreRemoval(void*, wl_registry*, std::uint32_t) {}

}  // namespace

FakePointer::FakePointer() {
    display_ = wl_display_connect(kSocket.toUtf8().constData());
    if (display_ == nullptr) return;
    static const wl_registry_listener listener = {&bindFakeInput, &ignoreRemoval};
    wl_registry_add_listener(wl_display_get_registry(display_), &listener, &fakeInput_);
    wl_display_roundtrip(display_);
    if (fakeInput_ == nullptr) return;
    org_kde_kwin_fake_input_authenticate(fakeInput_, "Tugworth KDE test", "moves the pointer");
}

FakePointer::~FakePointer() {
    if (display_ != nullptr) wl_display_disconnect(display_);
}

void FakePointer::moveTo(double x, double y) {
    org_kde_kwin_fake_input_pointer_motion_absolute(fakeInput_, wl_fixed_from_double(x),
                                                    wl_fixed_from_double(y));
    wl_display_roundtrip(display_);
}

}  // namespace tugworth::wayland::kde::test
