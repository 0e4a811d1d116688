// The status item as a tray icon (QSystemTrayIcon) with its context menu.
#pragma once

#include <memory>
#include <string>

#include <QIcon>

#include "platform/Toolkit.h"

class QMenu;
class QSystemTrayIcon;

namespace tugworth::qt {

class QtToolkit;

class QtStatusItem final : public StatusItem {
public:
    explicit QtStatusItem(QtToolkit& toolkit);
    ~QtStatusItem() override;
    QtStatusItem(const QtStatusItem&) = delete;
    QtStatusItem& operator=(const QtStatusItem&) = delete;

    // The tray icon is the button; it goes away when the item is removed from the tray.
    bool hasButton() const override { return tray_ != nullptr; }
    void setButtonImage(std::optional<Image> image) override;
    bool buttonHasImage() const override { return hasImage_; }
    // Tray icons show no text: the title is drawn into the icon instead.
    void setButtonTitle(std::string title) override;
    void setMenu(std::shared_ptr<Menu> menu) override;

    void removeFromTray();
    QSystemTrayIcon* trayIcon() const { return tray_.get(); }
    QMenu* contextMenu() const { return contextMenu_.get(); }

private:
    void showIcon(const QIcon& icon);

    QtToolkit& toolkit_;
    std::shared_ptr<Menu> menu_;
    std::unique_ptr<QMenu> contextMenu_;  // outlives the tray icon that shows it
    std::unique_ptr<QSystemTrayIcon> tray_;
    bool hasImage_ = false;
    std::string title_;
};

// What a Linux tray shows of the application menu: About, Preferences, Help and Quit, without
// key equivalents (they work only while one of our windows has focus).
Menu trayMenuFor(const Menu& applicationMenu);

// The text drawn centred into a square icon, for trays that cannot show a title.
QIcon renderTextIcon(const QString& text);

}  // namespace tugworth::qt
