#include "platform/qt/QtStatusItem.h"

#include <QCursor>
#include <QFont>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "platform/qt/QtMenus.h"
#include "platform/qt/QtToolkit.h"

namespace tugworth::qt {

namespace {

bool isTrayAction(std::string_view action) {
    return action == "orderFrontStandardAboutPanel:" || action == "openPreferences:" ||
           action == "terminate:";
}

}  // namespace

Menu trayMenuFor(const Menu& applicationMenu) {
    Menu tray;
    tray.title = applicationMenu.title;
    for (const MenuItem& item : applicationMenu.items) {
        if (item.isSeparator || item.submenu || !isTrayAction(item.action)) continue;
        if (item.action == "terminate:") {
            MenuItem help;
            help.title = "Help";
            help.action = "showHelp:";
            tray.items.push_back(help);
            tray.items.push_back(MenuItem::separator());
        }
        MenuItem kept;
        kept.title = item.title;
        kept.action = item.action;
        if (kept.title.ends_with("...")) kept.title.replace(kept.title.size() - 3, 3, "\u2026");
        tray.items.push_back(std::move(kept));
    }
    return tray;
}

QIcon renderTextIcon(const QString& text) {
    constexpr int kSide = 64;
    QPixmap pixmap(kSide, kSide);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    QFont font = painter.font();
    font.setPixelSize(kSide * 3 / 4);
    painter.setFont(font);
    painter.setPen(QGuiApplication::palette().color(QPalette::WindowText));
    painter.drawText(pixmap.rect(), Qt::AlignCenter, text);
    painter.end();
    return QIcon(pixmap);
}

QtStatusItem::QtStatusItem(QtToolkit& toolkit)
    : toolkit_(toolkit), tray_(std::make_unique<QSystemTrayIcon>()) {
    tray_->setToolTip(QStringLiteral("Tugworth"));
    // A status item opens its menu on a plain click as well.
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (reason == QSystemTrayIcon::Trigger && contextMenu_) {
                             contextMenu_->popup(QCursor::pos());
                         }
                     });
}

QtStatusItem::~QtStatusItem() = default;

void QtStatusItem::showIcon(const QIcon& icon) {
    tray_->setIcon(icon);
    if (!icon.isNull()) tray_->show();
}

void QtStatusItem::setButtonImage(std::optional<Image> image) {
    if (!tray_) return;
    const QIcon icon = image ? toolkit_.iconForImage(*image) : QIcon();
    hasImage_ = !icon.isNull();
    showIcon(icon);
}

void QtStatusItem::setButtonTitle(std::string title) {
    if (!tray_) return;
    title_ = std::move(title);
    if (!hasImage_) showIcon(renderTextIcon(QString::fromStdString(title_)));
}

void QtStatusItem::setMenu(std::shared_ptr<Menu> menu) {
    menu_ = std::move(menu);
    auto contextMenu = std::make_unique<QMenu>();
    if (menu_) populateMenu(*contextMenu, trayMenuFor(*menu_), toolkit_);
    if (tray_) tray_->setContextMenu(contextMenu.get());
    contextMenu_ = std::move(contextMenu);
}

void QtStatusItem::removeFromTray() {
    if (!tray_) return;
    tray_->hide();
    tray_.reset();
    hasImage_ = false;
}

}  // namespace tugworth::qt
