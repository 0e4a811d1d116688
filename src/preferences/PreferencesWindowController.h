// The preferences window's controller: the six settings as observable properties.
#pragma once

namespace tugworth {

class PreferencesWindowController {
public:
    virtual ~PreferencesWindowController() = default;
};

}  // namespace tugworth
