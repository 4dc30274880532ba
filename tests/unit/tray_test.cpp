#include <gtest/gtest.h>

#include "fakes.h"
#include "tray/tray_logic.h"

namespace {
using Calls = std::vector<std::string>;

TEST(Tray, OnlyALeftPressToggles) {
    EXPECT_EQ(tray::DecodeNotification(0x0201), tray::Action::ToggleMonitor);
    EXPECT_EQ(tray::DecodeNotification(0x0205), tray::Action::ShowMenu);
    for (unsigned m : {0x0200u, 0x0202u, 0x0203u, 0x0204u, 0x0206u, 0x0207u, 0x0208u, 0x0209u, 1234u})
        EXPECT_EQ(tray::DecodeNotification(m), tray::Action::None) << m;
}

TEST(Tray, ToggleHidesThenShowsWithBothPanesAtTheirEnd) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.TrayIcon_Notify(0x0201);
    EXPECT_FALSE(rig.view.visible);
    form.TrayIcon_Notify(0x0202);
    form.TrayIcon_Notify(0x0203);
    EXPECT_FALSE(rig.view.visible);
    form.TrayIcon_Notify(0x0201);
    EXPECT_EQ(rig.log.calls, (Calls{"view.Hide", "view.Show", "view.Normal", "view.Caret1", "view.Caret2"}));
}

TEST(Tray, MenuCommands) {
    Rig rig;
    Main_form& form = rig.Loaded();
    form.TrayIcon_Notify(0x0205);
    form.menuHideThisPopupMenu_Click();
    form.menuShowVantaryGatewayMonitor_Click();
    form.menuShowSettings_Click();
    EXPECT_EQ(rig.log.calls,
              (Calls{"tray.Menu", "view.Hide", "view.Show", "view.Normal", "settings.Show", "settings.Normal"}));
    form.menuExitVantaryGateway_Click();
    EXPECT_TRUE(rig.boxes.shown.empty());
    EXPECT_EQ(rig.log.calls.back(), "view.Destroy");
}

TEST(Tray, TipFillsTheFixedField) {
    const std::wstring tip = tray::TipField(tray::kCredit);
    EXPECT_EQ(tip.size(), 64u);
    EXPECT_EQ(tip.rfind(L"Vantary Gateway by the Vantary team", 0), 0u);
    EXPECT_EQ(tip.back(), L' ');
    EXPECT_EQ(tray::TipField(std::wstring(100, L'x')).size(), 64u);
}
}  // namespace
