// Reads kept for the length of one event, with requested frames laid over what is shown.
#include "platform/wayland/CompositorReads.h"

#include <algorithm>

namespace tugworth::wayland {

CompositorReads::ReadScope::~ReadScope() {
    if (--reads_.scopes_ == 0) reads_.forgetKept();
}

void CompositorReads::forgetKept() {
    windows_.reset();
    pointer_.reset();
    monitors_.reset();
    workAreas_.reset();
}

const std::optional<std::vector<CompositorWindow>>& CompositorReads::windows() {
    if (scopes_ == 0 || !windows_) {
        auto list = driver_.windowsFrontToBack();
        if (list) {
            const auto now = RequestedFrames::Clock::now();
            for (auto& w : *list) w.frame = requested_.reported(w.id, w.frame, now);
        }
        windows_ = std::move(list);
    }
    return *windows_;
}

std::optional<CompositorWindow> CompositorReads::window(CompositorWindowId id) {
    const auto& list = windows();
    if (!list) return std::nullopt;
    const auto it = std::find_if(list->begin(), list->end(),
                                 [id](const CompositorWindow& w) { return w.id == id; });
    if (it == list->end()) return std::nullopt;
    return *it;
}

std::optional<CompositorPointer> CompositorReads::pointer() {
    if (scopes_ > 0 && pointer_) return pointer_;
    auto answer = driver_.pointer();
    if (scopes_ > 0) pointer_ = answer;
    return answer;
}

void CompositorReads::pointerHeard(const CompositorPointer& pointer) {
    if (scopes_ > 0) pointer_ = pointer;
}

const std::vector<Rect>& CompositorReads::monitors() {
    if (scopes_ == 0 || !monitors_) monitors_ = driver_.monitors();
    return *monitors_;
}

const std::vector<Rect>& CompositorReads::workAreas() {
    if (scopes_ == 0 || !workAreas_) workAreas_ = driver_.workAreas();
    return *workAreas_;
}

FrameWriteResult CompositorReads::requestFrame(const CompositorWindow& window, const Rect& frame) {
    const CompositorWindowId id = window.id;
    const Rect reported = window.frame;  // `window` may be one of the kept ones, changed below
    const FrameWriteResult result = driver_.requestFrame(id, frame);
    if (result != FrameWriteResult::Requested) return result;
    if (windows_ && *windows_) {
        for (auto& w : **windows_) {
            if (w.id == id) w.frame = frame;  // later reads in this scope see the step taken
        }
    }
    requested_.requested(id, reported, frame, RequestedFrames::Clock::now());
    return result;
}

}  // namespace tugworth::wayland
