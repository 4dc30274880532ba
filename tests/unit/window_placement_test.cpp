#include <gtest/gtest.h>

#include "fakes.h"
#include "settings/window_placement.h"

namespace {
const std::vector<ScreenRect> kOneScreen{{0, 0, 19200, 15360}};  // 1280 x 1024 px at 96 dpi

TEST(WindowPlacement, AWindowTouchingAScreenStaysWhereItIs) {
    // Partly above the screen's top, or hanging off its right edge.
    EXPECT_FALSE(PlaceWhereVisible({1500, -1200, 4560, 3000}, kOneScreen));
    EXPECT_FALSE(PlaceWhereVisible({19000, 100, 4560, 3000}, kOneScreen));
    // On a second monitor left of the primary one.
    std::vector<ScreenRect> two = kOneScreen;
    two.push_back({-15360, 0, 15360, 11520});
    EXPECT_FALSE(PlaceWhereVisible({-15360, 300, 4560, 3000}, two));
    // Nothing known of the screens: nothing to decide.
    EXPECT_FALSE(PlaceWhereVisible({120000, 90000, 4560, 3000}, {}));
}

TEST(WindowPlacement, AWindowOffEveryScreenIsCentredOnTheNearest) {
    for (const ScreenRect far : {ScreenRect{120000, 90000, 4560, 3000}, ScreenRect{-120000, -90000, 4560, 3000},
                                 ScreenRect{19200, 15360, 4560, 3000}}) {
        const auto at = PlaceWhereVisible(far, kOneScreen);
        ASSERT_TRUE(at);
        EXPECT_EQ(at->left, (19200 - 4560) / 2.0f);
        EXPECT_EQ(at->top, (15360 - 3000) / 2.0f);
    }
    // A monitor that has gone on the left: the nearest one that is left takes it.
    const std::vector<ScreenRect> two{{0, 0, 19200, 15360}, {19200, 0, 28800, 16200}};
    const auto at = PlaceWhereVisible({60000, 0, 4560, 3000}, two);
    ASSERT_TRUE(at);
    EXPECT_EQ(at->left, 19200 + (28800 - 4560) / 2.0f);
    // Larger than the screen: its corner stays on it.
    const auto big = PlaceWhereVisible({-40000, 0, 30000, 20000}, kOneScreen);
    ASSERT_TRUE(big);
    EXPECT_EQ(big->left, 0.0f);
    EXPECT_EQ(big->top, 0.0f);
}

TEST(WindowPlacement, BothWindowsOpenOnScreenAndTheSaveWritesWhereTheMonitorWindowIs) {
    Rig rig;
    rig.profile.exists = true;
    rig.profile.values = {{"FormLocation/FormTop", "90000"}, {"FormLocation/FormLeft", "120000"}};
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(rig.view.left, (15360 - 4560) / 2.0f);
    EXPECT_EQ(rig.view.top, (11520 - 3000) / 2.0f);
    form.SaveSettingsToINI();
    EXPECT_EQ(rig.profile.values["FormLocation/FormLeft"], "5400");
    EXPECT_EQ(rig.profile.values["FormLocation/FormTop"], "4260");
    // 400 twips from a monitor window in the bottom-right corner would put the
    // settings window off the screen; it opens centred instead.
    rig.view.left = 15000;
    rig.view.top = 11200;
    form.settingsCommand_Click();
    EXPECT_EQ(rig.settings.at, std::make_pair((15360 - 6000) / 2.0f, (11520 - 6900) / 2.0f));
    rig.settings.Unload();
    rig.view.left = 300;
    rig.view.top = 200;
    form.settingsCommand_Click();
    EXPECT_EQ(rig.settings.at, std::make_pair(700.0f, 600.0f));
}
}  // namespace
