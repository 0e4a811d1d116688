#include "platform/sim/Desktop.h"

#include <algorithm>
#include <stdexcept>

#include "platform/sim/SimServices.h"

namespace tugworth::sim {

Desktop::Desktop() : Desktop(logCapture_) {}

Desktop::Desktop(LogSink& sink)
    : accessibility_(std::make_unique<SimAccessibility>(*this)),
      windowServer_(std::make_unique<SimWindowServer>(*this)),
      desktopServices_(std::make_unique<SimDesktopServices>(*this)),
      monitors_(std::make_unique<SimEventMonitors>(*this)),
      toolkit_(std::make_unique<SimToolkit>(counter_)),
      storage_(&counter_),
      platform_{*accessibility_,
                *windowServer_,
                *desktopServices_,
                *monitors_,
                *toolkit_,
                storage_,
                sink} {}

Desktop::~Desktop() = default;

ProcessModel& Desktop::addProcess(Pid pid, std::optional<std::string> name) {
    auto [it, inserted] = processes_.try_emplace(pid);
    if (!inserted) throw std::invalid_argument("sim: process " + std::to_string(pid) + " exists");
    it->second.pid = pid;
    it->second.name = std::move(name);
    return it->second;
}

WindowModel& Desktop::addWindow(Pid pid, std::int64_t id, Rect frame, std::string title) {
    auto owner = processes_.find(pid);
    if (owner == processes_.end())
        throw std::invalid_argument("sim: no process " + std::to_string(pid));
    auto [it, inserted] = windows_.try_emplace(id);
    if (!inserted) throw std::invalid_argument("sim: window " + std::to_string(id) + " exists");
    WindowModel& window = it->second;
    window.id = id;
    window.pid = pid;
    window.frame = frame;
    window.title = std::move(title);
    owner->second.windows.push_back(id);
    declarationOrder_.push_back(id);
    stacking_.push_back(id);
    return window;
}

ProcessModel* Desktop::process(Pid pid) {
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
}

const ProcessModel* Desktop::process(Pid pid) const {
    auto it = processes_.find(pid);
    return it == processes_.end() ? nullptr : &it->second;
}

WindowModel* Desktop::window(std::int64_t id) {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

const WindowModel* Desktop::window(std::int64_t id) const {
    auto it = windows_.find(id);
    return it == windows_.end() ? nullptr : &it->second;
}

std::optional<Rect> Desktop::windowFrame(std::int64_t id) const {
    const WindowModel* w = window(id);
    if (w == nullptr) return std::nullopt;
    return w->frame;
}

std::vector<std::int64_t> Desktop::windowIds() const {
    return declarationOrder_;
}

void Desktop::setStacking(const std::vector<std::int64_t>& frontToBack) {
    std::vector<std::int64_t> order;
    for (std::int64_t id : frontToBack) {
        if (windows_.contains(id) && std::find(order.begin(), order.end(), id) == order.end())
            order.push_back(id);
    }
    for (std::int64_t id : declarationOrder_) {
        if (std::find(order.begin(), order.end(), id) == order.end()) order.push_back(id);
    }
    stacking_ = std::move(order);
}

namespace {
void eraseId(std::vector<std::int64_t>& ids, std::int64_t id) {
    std::erase(ids, id);
}
}  // namespace

void Desktop::closeWindow(std::int64_t id) {
    auto it = windows_.find(id);
    if (it == windows_.end()) return;
    if (ProcessModel* owner = process(it->second.pid)) eraseId(owner->windows, id);
    eraseId(declarationOrder_, id);
    eraseId(stacking_, id);
    windows_.erase(it);
}

void Desktop::quit(Pid pid) {
    ProcessModel* owner = process(pid);
    if (owner == nullptr) return;
    const std::vector<std::int64_t> ids = owner->windows;
    for (std::int64_t id : ids) closeWindow(id);
    processes_.erase(pid);
}

bool Desktop::isAlive(const Element& element) const {
    if (element.isApplication()) return processes_.contains(static_cast<Pid>(element.id()));
    return windows_.contains(element.id());
}

void Desktop::sendFlagsChanged(std::uint64_t modifierFlags, bool local) {
    modifierFlags_ = modifierFlags;
    monitors_->deliver(Event{EventType::FlagsChanged, modifierFlags}, local);
}

void Desktop::movePointer(Point cocoaLocation, bool local) {
    pointer_ = cocoaLocation;
    monitors_->deliver(Event{EventType::MouseMoved, modifierFlags_}, local);
}

std::size_t Desktop::globalMonitorCount() const {
    return monitors_->globalCount();
}
std::size_t Desktop::localMonitorCount() const {
    return monitors_->localCount();
}

void Desktop::startFreshProcess() {
    monitors_->clear();
    toolkit_->startFreshProcess();
}

bool Desktop::readTrusted() {
    const bool answer = trusted_;
    if (trustReadsLeft_ > 0 && --trustReadsLeft_ == 0) trusted_ = laterTrusted_;
    return answer;
}

Point Desktop::readPointer() {
    const Point answer = pointer_;
    if (pointerReadsLeft_ > 0 && --pointerReadsLeft_ == 0) pointer_ = laterPointer_;
    return answer;
}

}  // namespace tugworth::sim
