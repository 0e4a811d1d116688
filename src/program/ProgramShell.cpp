#include "program/ProgramShell.h"

#include <QAbstractEventDispatcher>

#include "app/EntryPoint.h"
#include "platform/Platform.h"
#include "program/AppIdentity.h"
#include "program/QuitOnSignals.h"

namespace tugworth {

ProgramShell::ProgramShell(char* programName, LogSink& logSink, Log& log)
    : argv_{programName, nullptr},
      logSink_(logSink),
      log_(log),
      application_(argc_, argv_),
      instance_(log),
      toolkit_(logSink),
      storage_(qt::QtSettingsStorage::defaultFilePath(), logSink) {
    QApplication::setApplicationName(QStringLiteral("Tugworth"));
    QApplication::setApplicationVersion(QStringLiteral(TUGWORTH_VERSION));
    QApplication::setDesktopFileName(QString::fromLatin1(kAppId));
    instance_.setReopenHandler([this] { toolkit_.sendAction("openPreferences:"); });
    toolkit_.setChordSource([this] { return qt::chordsInEffect(storage_.values()); });
}

std::optional<int> ProgramShell::claimInstance() {
    return instance_.claim();
}

int ProgramShell::run(const DesktopServicesSet& services) {
    // One write of the log each time the loop has nothing left to do.
    QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                     [this] { logSink_.flush(); });
    QuitOnSignals quitOnSignals([this](int signal) {
        log_.info("Quitting on ", signalName(signal));
        toolkit_.terminate();
    });
    Platform platform{services.accessibility,
                      services.windowServer,
                      services.desktop,
                      services.monitors,
                      toolkit_,
                      storage_,
                      logSink_};
    return runApplication(platform);
}

}  // namespace tugworth
