#include "FinalState.h"

#include "app/AppDelegate.h"

namespace tugworth::scenario {

namespace {

using Json = nlohmann::ordered_json;

Json rectJson(const Rect& r) {
    return Json::array({r.x, r.y, r.width, r.height});
}

Json elementJson(const Element& e) {
    if (e.isApplication()) return "app:" + std::to_string(e.id());
    return e.id();
}

Json valueJson(const Value& value) {
    switch (value.kind()) {
        case Value::Kind::None:
            return nullptr;
        case Value::Kind::Boolean:
            return *value.asBool();
        case Value::Kind::Integer:
            return *value.asInteger();
        case Value::Kind::Real:
            return *value.asReal();
        case Value::Kind::String:
            return *value.asString();
        case Value::Kind::Element:
            return Json{{"element", elementJson(*value.asElement())}};
        case Value::Kind::Geometry: {
            const AXValue& box = *value.asAXValue();
            Point p;
            Size s;
            Rect r;
            if (box.getValue(p)) return Json{{"point", Json::array({p.x, p.y})}};
            if (box.getValue(s)) return Json{{"size", Json::array({s.width, s.height})}};
            box.getValue(r);
            return Json{{"rect", rectJson(r)}};
        }
        case Value::Kind::Array: {
            Json items = Json::array();
            for (const Value& item : *value.asArray()) items.push_back(valueJson(item));
            return items;
        }
        case Value::Kind::Dictionary: {
            Json entries = Json::object();
            for (const auto& [key, item] : *value.asDictionary()) entries[key] = valueJson(item);
            return entries;
        }
    }
    return nullptr;
}

Json menuJson(const Menu& menu) {
    Json items = Json::array();
    for (const MenuItem& item : menu.items) {
        Json entry;
        if (item.isSeparator) {
            entry = Json{{"separator", true}};
        } else {
            entry = Json{{"title", item.title},
                         {"action", item.action.empty() ? Json(nullptr) : Json(item.action)},
                         {"key", item.keyEquivalent},
                         {"mask", item.modifierMask}};
        }
        if (item.submenu) entry["submenu"] = menuJson(*item.submenu);
        items.push_back(std::move(entry));
    }
    return items;
}

bool menuContains(const Menu* menu, const Menu* wanted) {
    if (menu == nullptr) return false;
    if (menu == wanted) return true;
    for (const MenuItem& item : menu->items) {
        if (menuContains(item.submenu.get(), wanted)) return true;
    }
    return false;
}

Json statusItemJson(const sim::StatusItemState* item) {
    if (item == nullptr) return nullptr;
    return Json{{"image", item->image ? Json(*item->image) : Json(nullptr)},
                {"title", item->title ? Json(*item->title) : Json(nullptr)},
                {"menu", item->menu ? menuJson(*item->menu) : Json::array()}};
}

Json servicesMenuJson(const sim::SimToolkit& toolkit) {
    const Menu* services = toolkit.servicesMenu().get();
    if (services == nullptr) return nullptr;
    const sim::StatusItemState* item = toolkit.statusItem();
    if (item != nullptr && menuContains(item->menu.get(), services)) return "statusItem";
    if (menuContains(toolkit.mainMenu().get(), services)) return "mainMenu";
    return nullptr;
}

Json alertsJson(const std::vector<sim::AlertRecord>& alerts) {
    Json out = Json::array();
    for (const auto& [alert, answer] : alerts) {
        // No buttons added: the toolkit shows its single default one.
        const std::vector<std::string> buttons =
            alert.buttons.empty() ? std::vector<std::string>{"OK"} : alert.buttons;
        out.push_back(Json{{"message", alert.messageText},
                           {"informative", alert.informativeText},
                           {"style", static_cast<int>(alert.style)},
                           {"buttons", buttons},
                           {"answer", answer}});
    }
    return out;
}

Json preferencesWindowJson(const sim::HostedWindowState* window) {
    if (window == nullptr) return nullptr;
    Json properties = Json::object();
    for (const auto& [key, value] : window->properties) properties[key] = valueJson(value);
    return Json{{"visible", window->visible},
                {"title", window->title},
                {"level", window->level},
                {"centred", window->centred},
                {"properties", std::move(properties)}};
}

Json delegateJson(const AppDelegate* delegate) {
    if (delegate == nullptr) return nullptr;
    return Json{{"isDragging", delegate->isDragging},
                {"isResizing", delegate->isResizing},
                {"targetWindow",
                 delegate->targetWindow ? elementJson(*delegate->targetWindow) : Json(nullptr)},
                {"hasAccessibilityPermissions", delegate->hasAccessibilityPermissions},
                {"hasShownPermissionDialog", delegate->hasShownPermissionDialog},
                {"initialLocation",
                 Json::array({delegate->initialLocation.x, delegate->initialLocation.y})}};
}

}  // namespace

Json captureFinalState(sim::Desktop& desktop, bool detail) {
    const sim::SimToolkit& toolkit = desktop.toolkit();
    Json windows = Json::object();
    for (std::int64_t id : desktop.windowIds())
        windows[std::to_string(id)] = rectJson(*desktop.windowFrame(id));
    Json settings = Json::object();
    for (const auto& [key, value] : desktop.storage().persisted()) settings[key] = valueJson(value);
    Json openedURLs = desktop.openedURLs();
    const auto* delegate = dynamic_cast<const AppDelegate*>(desktop.toolkit().delegate());

    Json state{
        {"windows", std::move(windows)},
        {"settings", std::move(settings)},
        {"activationPolicy", static_cast<int>(toolkit.currentPolicy())},
        {"statusItem", statusItemJson(toolkit.statusItem())},
        {"mainMenu", toolkit.mainMenu() ? menuJson(*toolkit.mainMenu()) : Json(nullptr)},
        {"servicesMenu", servicesMenuJson(toolkit)},
        {"alerts", alertsJson(toolkit.alerts())},
        {"openedURLs", std::move(openedURLs)},
        {"preferencesWindow", preferencesWindowJson(toolkit.hostedWindow("PreferencesWindow"))},
        {"delegate", delegateJson(delegate)}};
    if (detail) {
        state["statusItems"] = Json{{"inMenuBar", toolkit.statusItemCount()},
                                    {"removed", toolkit.removedStatusItemCount()}};
        state["activations"] = toolkit.activationCount();
    }
    return state;
}

}  // namespace tugworth::scenario
