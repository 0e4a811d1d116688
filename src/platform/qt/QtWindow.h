// A window built from a Designer form whose controls are bound to a BindableObject.
//
// The form names the bindings itself, with dynamic properties: a check box or combo box with
// "boundKey" shows and edits that key of the owner (a combo box lists the stored texts of
// its items in "choices"); a button with "action" sends that action to the owner.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QPointer>
#include <QWidget>

#include "platform/Toolkit.h"

class QAbstractButton;
class QCheckBox;
class QComboBox;

namespace tugworth::qt {

class QtToolkit;

class QtWindow final : public Window {
public:
    QtWindow(std::unique_ptr<QWidget> widget, BindableObject& owner, QtToolkit& toolkit);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    void setTitle(std::string title) override;
    void center() override;
    // A released window is destroyed by closing it; afterwards every call does nothing.
    void setReleasedWhenClosed(bool released) override;
    void setLevel(int level) override;
    void show() override;
    void close() override;
    bool isVisible() const override;

    QWidget* widget() const { return widget_.data(); }

private:
    void bindControls();
    void bindCheckBox(QCheckBox& box, const std::string& key);
    void bindComboBox(QComboBox& box, const std::string& key);
    void bindButton(QAbstractButton& button, const std::string& action);
    void unbind();

    QPointer<QWidget> widget_;
    BindableObject& owner_;
    QtToolkit& toolkit_;
    std::vector<BindableObject::ObserverId> observers_;
};

// The stored text behind a bound combo box's current item.
QString chosenText(const QComboBox& box);

}  // namespace tugworth::qt
