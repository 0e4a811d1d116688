// Placeholder definitions until the preferences window lands; this file is deleted then.
#include <cstdlib>

#include "app/AppDelegate.h"

namespace tugworth {
void AppDelegate::openPreferences() { std::abort(); }
}  // namespace tugworth
