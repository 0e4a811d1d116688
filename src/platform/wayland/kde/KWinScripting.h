// KWin's script loader on the session bus (org.kde.KWin /Scripting), for one script by name.
#pragma once

#include <optional>
#include <string>

#include <QString>

namespace tugworth::wayland::kde {

// Loads and starts the script; false with `error` set when KWin refuses.
bool loadAndRunScript(const QString& path, const QString& pluginName, std::string& error);
void unloadScript(const QString& pluginName);
// nullopt when KWin does not answer.
std::optional<bool> isScriptLoaded(const QString& pluginName);

}  // namespace tugworth::wayland::kde
