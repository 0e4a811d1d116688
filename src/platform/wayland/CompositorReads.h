// What the services read from the compositor, shared by them and kept for one event at most.
#pragma once

#include <optional>
#include <vector>

#include "platform/wayland/CompositorDriver.h"
#include "platform/wayland/RequestedFrames.h"

namespace tugworth::wayland {

// Every read is a round trip to the compositor. The core reads the windows, the pointer and
// the screens several times while it handles one event; inside a ReadScope each is read once
// and kept, elsewhere every read is fresh.
class CompositorReads {
public:
    explicit CompositorReads(CompositorDriver& driver) : driver_(driver) {}

    class ReadScope {
    public:
        explicit ReadScope(CompositorReads& reads) : reads_(reads) { ++reads_.scopes_; }
        ~ReadScope();
        ReadScope(const ReadScope&) = delete;
        ReadScope& operator=(const ReadScope&) = delete;

    private:
        CompositorReads& reads_;
    };

    CompositorDriver& driver() { return driver_; }

    // Front-most first, with the frames of requests still on their way in place of what the
    // compositor shows; nullopt when the bridge does not answer.
    const std::optional<std::vector<CompositorWindow>>& windows();
    std::optional<CompositorWindow> window(CompositorWindowId id);
    std::optional<CompositorPointer> pointer();
    const std::vector<Rect>& monitors();
    const std::vector<Rect>& workAreas();

    // The pointer an event brought along: fresher than asking again.
    void pointerHeard(const CompositorPointer& pointer);
    // Asks for a frame and, when the compositor accepts, reports it until it lands.
    FrameWriteResult requestFrame(const CompositorWindow& window, const Rect& frame);

private:
    void forgetKept();

    CompositorDriver& driver_;
    RequestedFrames requested_;
    int scopes_ = 0;
    std::optional<std::optional<std::vector<CompositorWindow>>> windows_;
    std::optional<CompositorPointer> pointer_;
    std::optional<std::vector<Rect>> monitors_;
    std::optional<std::vector<Rect>> workAreas_;
};

}  // namespace tugworth::wayland
