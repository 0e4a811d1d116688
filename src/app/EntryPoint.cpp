#include "app/EntryPoint.h"

#include <memory>

#include "app/AppDelegate.h"
#include "app/UserDefaults.h"

namespace tugworth {

int runApplication(Platform& platform) {
    Toolkit& application = platform.toolkit;
    UserDefaults userDefaults(platform.storage);
    auto delegate = std::make_unique<AppDelegate>(userDefaults, platform);
    application.setDelegate(delegate.get());
    application.run();
    // The application does not own its delegate: drop it from there before releasing ours.
    application.setDelegate(nullptr);
    delegate.reset();
    return 0;
}

}  // namespace tugworth
