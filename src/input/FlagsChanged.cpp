// The gesture state machine: every modifier change recomputes Idle, Dragging or Resizing from
// the held flags, the configured chords, the enable switches and a fresh trust test.
#include <string>

#include "app/AppDelegate.h"
#include "app/SettingsKeys.h"
#include "app/SwitchReading.h"
#include "input/Chords.h"

namespace tugworth {

void AppDelegate::handleFlagsChanged(const Event& event) {
    const std::uint64_t flags = event.modifierFlags;
    // Read afresh on every event, so that a saved preference applies at the next press.
    const std::string dragChord = userDefaults.stringForKey(settings::kDragModifier)
                                      .value_or(std::string(settings::kDefaultDragModifier));
    const std::string resizeChord = userDefaults.stringForKey(settings::kResizeModifier)
                                        .value_or(std::string(settings::kDefaultResizeModifier));
    const bool dragEnabled = readSwitch(userDefaults, settings::kEnableDragging);
    const bool resizeEnabled = readSwitch(userDefaults, settings::kEnableResizing);
    const bool dragHeld = dragChordMatches(dragChord, flags);
    const bool resizeHeld = resizeChordMatches(resizeChord, flags);

    // Tested on every event so that a permission granted or withdrawn applies at once.
    const bool trusted = platform_.accessibility.isProcessTrusted();
    hasAccessibilityPermissions = trusted;
    lastPermissionCheckTime = platform_.desktop.now();

    if (resizeHeld && resizeEnabled && trusted) {
        isResizing = true;
        isDragging = false;
        log_.debug("Modifier state: Resizing");
    } else if (dragHeld && dragEnabled && trusted) {
        isDragging = true;
        isResizing = false;
        log_.debug("Modifier state: Dragging");
    } else {
        isDragging = false;
        isResizing = false;
        // A chord held without the permission asks for it, whatever the enable switches say;
        // only once per run, and never again while the alert of this run is open.
        if ((dragHeld || resizeHeld) && !trusted && !hasShownPermissionDialog) {
            log_.debug("Modifiers pressed but no permissions - showing dialog once");
            checkAccessibilityPermissions();
        }
    }

    // The fields, not the decision above: an event handled inside the permission alert's
    // nested loop may have changed them, and the latest state is the one to follow.
    if (isDragging || isResizing) {
        captureWindow();
    } else {
        targetWindow.reset();
    }
}

}  // namespace tugworth
