// The menus built in code, the services menu they install, and the help command.
#include <gtest/gtest.h>

#include <sstream>

#include "unit/app_shell/ShellFixture.h"

namespace tugworth {
namespace {

using test::Shell;
using Lines = std::vector<std::string>;

// One line per item, "Parent>Title|action|key|mask in hex", submenus after their item.
void flatten(const Menu& menu, const std::string& path, Lines& out) {
    for (const auto& item : menu.items) {
        std::ostringstream line;
        line << path << item.title << "|" << item.action << "|" << item.keyEquivalent << "|"
             << std::hex << item.modifierMask;
        out.push_back(item.isSeparator ? path + "---" : line.str());
        if (item.submenu) flatten(*item.submenu, path + item.title + ">", out);
    }
}

Lines flatten(const Menu& menu, const std::string& path = "") {
    Lines out;
    flatten(menu, path, out);
    return out;
}

const Lines kApplicationMenu = {
    "About Tugworth|orderFrontStandardAboutPanel:||100000",
    "---",
    "Preferences...|openPreferences:|,|100000",
    "---",
    "Services|||100000",
    "---",
    "Hide Tugworth|hide:|h|100000",
    "Hide Others|hideOtherApplications:|h|180000",
    "Show All|unhideAllApplications:||100000",
    "---",
    "Quit Tugworth|terminate:|q|100000",
};

TEST(Menus, MainAndStatusMenusHoldEveryTitleActionKeyAndMask) {
    Shell shell;
    shell.delegate->setupMainMenu();
    shell.delegate->setupStatusItem();
    Lines expected = {"Tugworth|||100000"};
    for (const auto& line : kApplicationMenu) expected.push_back("Tugworth>" + line);
    expected.insert(expected.end(),
                    {"Edit|||100000", "Edit>Undo|undo:|z|100000", "Edit>Redo|redo:|Z|100000",
                     "Edit>---", "Edit>Cut|cut:|x|100000", "Edit>Copy|copy:|c|100000",
                     "Edit>Paste|paste:|v|100000", "Edit>Select All|selectAll:|a|100000",
                     "Help|||100000", "Help>Tugworth Help|showHelp:|?|100000"});
    ASSERT_NE(shell.toolkit().mainMenu(), nullptr);
    EXPECT_EQ(flatten(*shell.toolkit().mainMenu()), expected);
    EXPECT_EQ(flatten(*shell.toolkit().statusItem()->menu), kApplicationMenu);
}

std::shared_ptr<Menu> servicesOf(const Menu& menu) {
    return menu.items.at(4).submenu;
}

TEST(Menus, TheServicesMenuInstalledLastIsTheApplications) {
    for (const bool menuBar : {true, false}) {
        SCOPED_TRACE(menuBar);
        Shell shell({{"showInMenuBar", Value(menuBar)}});
        shell.launch();
        auto& toolkit = shell.toolkit();
        ASSERT_NE(toolkit.mainMenu(), nullptr);
        const auto mainServices = servicesOf(*toolkit.mainMenu()->items.at(0).submenu);
        ASSERT_NE(mainServices, nullptr);
        EXPECT_TRUE(mainServices->items.empty());
        const auto* item = toolkit.statusItem();
        EXPECT_EQ(toolkit.servicesMenu(), menuBar ? servicesOf(*item->menu) : mainServices);
        EXPECT_NE(toolkit.servicesMenu(), nullptr);
    }
}

TEST(Help, ShowsTheDefaultChordsWhateverTheSettingsHold) {
    Shell shell({{"dragModifier", Value("Option")}});
    shell.toolkit().performMenuAction("showHelp:");
    ASSERT_EQ(shell.toolkit().alerts().size(), 1U);
    const Alert& alert = shell.toolkit().alerts()[0].alert;
    EXPECT_EQ(alert.messageText, "Tugworth Help");
    EXPECT_EQ(alert.informativeText,
              "To drag a window:\n- Hold Command+Control and move your mouse\n\n"
              "To resize a window:\n- Hold Command+Control+Shift and move your mouse\n\n"
              "You can customize these shortcuts in Preferences.");
    EXPECT_EQ(alert.style, AlertStyle::Warning);
    EXPECT_TRUE(alert.buttons.empty());
    EXPECT_FALSE(shell.delegate->performAction("orderFrontStandardAboutPanel:"));
}

}  // namespace
}  // namespace tugworth
