#include "KWinFixture.h"

#include <cstdio>

#include <wayland-client.h>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "fake-input-client-protocol.h"
#include "platform/wayland/kde/KWinScripting.h"

namespace tugworth::wayland::kde::test {

namespace {

const QString kSocket = QStringLiteral("wayland-tugworth-test");
QProcess* kwin = nullptr;

QProcessEnvironment clientEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("WAYLAND_DISPLAY", kSocket);
    return env;
}

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

}  // namespace

bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

QString KWinFixture::socketName() {
    return kSocket;
}

QString KWinFixture::workDir() {
    return qEnvironmentVariable("TUGWORTH_KDE_WORK");
}

bool KWinFixture::start() {
    // KWin offers fake input to the tests, and keystate to the program, only as their desktop
    // entries ask.
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + "/applications";
    QDir().mkpath(applications);
    const QString entry = QStringLiteral(
        "[Desktop Entry]\nType=Application\nName=%1\nExec=%2\nX-KDE-Wayland-Interfaces=%3\n");
    const std::map<QString, QString> entries = {
        {"tugworth-kde-test",
         entry.arg("Tugworth KDE test", QCoreApplication::applicationFilePath(),
                   "org_kde_kwin_fake_input")},
        {"tugworth", entry.arg("Tugworth", workDir() + "/bin/tugworth", "org_kde_kwin_keystate")}};
    for (const auto& [name, text] : entries) {
        QFile file(applications + "/" + name + ".desktop");
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0) return false;
    }

    kwin = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KWIN_COMPOSE", "Q");  // QPainter: no GL work on a busy machine
    kwin->setProcessEnvironment(env);
    kwin->setStandardOutputFile(QProcess::nullDevice());
    kwin->setStandardErrorFile(workDir() + "/kwin.log");
    kwin->start(workDir() + "/kwin_wayland",
                {"--virtual", "--no-lockscreen", "--no-global-shortcuts", "--socket", kSocket,
                 "--width", "1280", "--height", "800"});
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    const bool up =
        waitFor([&] { return bus->isServiceRegistered("org.kde.KWin").value(); }, 10000);
    if (!up) {
        QFile log(workDir() + "/kwin.log");
        log.open(QIODevice::ReadOnly);
        std::fprintf(stderr, "KWin did not come up on the session bus:\n%s\n",
                     log.readAll().right(2000).constData());
    }
    return up;
}

void KWinFixture::stop() {
    if (kwin == nullptr) return;
    kwin->terminate();
    kwin->waitForFinished(3000);
    delete kwin;
    kwin = nullptr;
}

void StopClient::operator()(QProcess* client) const {
    client->kill();
    client->waitForFinished(3000);
    delete client;
}

Client KWinFixture::startQtClient(const QString& title) {
    Client client(new QProcess);
    QProcessEnvironment env = clientEnvironment();
    env.insert("QT_QPA_PLATFORM", "wayland");
    client->setProcessEnvironment(env);
    client->start(QCoreApplication::applicationFilePath(), {"--qt-client", title});
    return client;
}

Client KWinFixture::startGtkClient(const QString& title) {
    Client client(new QProcess);
    QProcessEnvironment env = clientEnvironment();
    env.insert("GDK_BACKEND", "wayland");
    client->setProcessEnvironment(env);
    client->setStandardOutputFile(QProcess::nullDevice());
    client->setStandardErrorFile(QProcess::nullDevice());
    client->start("zenity", {"--text-info", "--title", title, "--width", "320", "--height", "240"});
    return client;
}

std::map<QString, Rect> KWinFixture::framesByTitle() {
    static int probes = 0;
    const QString name = QStringLiteral("tugworth-probe-%1").arg(++probes);
    const QString path = workDir() + "/" + name + ".js";
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly)) return {};
    script.write(
        QStringLiteral(
            "var all = typeof workspace.windowList === 'function' ? "
            "workspace.windowList() : workspace.clientList();\n"
            "callDBus('%1', '/probe', 'org.tugworth.Probe', 'report', JSON.stringify("
            "all.map(function (w) { var g = w.frameGeometry; return {title: "
            "String(w.caption), x: g.x, y: g.y, width: g.width, height: g.height}; })));\n")
            .arg(QDBusConnection::sessionBus().baseService())
            .toUtf8());
    script.close();
    ProbeReceiver receiver;
    QDBusConnection::sessionBus().registerVirtualObject("/probe", &receiver);
    std::string error;
    std::map<QString, Rect> frames;
    if (loadAndRunScript(path, name, error) &&
        waitFor([&] { return receiver.report.has_value(); })) {
        for (const QJsonValue& value : QJsonDocument::fromJson(receiver.report->toUtf8()).array()) {
            const QJsonObject w = value.toObject();
            frames[w["title"].toString()] = {w["x"].toDouble(), w["y"].toDouble(),
                                             w["width"].toDouble(), w["height"].toDouble()};
        }
    }
    unloadScript(name);
    QDBusConnection::sessionBus().unregisterObject("/probe");
    return frames;
}

std::optional<Rect> KWinFixture::frameOf(const QString& title) {
    const std::map<QString, Rect> frames = framesByTitle();
    const auto it = frames.find(title);
    if (it == frames.end()) return std::nullopt;
    return it->second;
}

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
    wl_display_roundtrip(display_);
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
