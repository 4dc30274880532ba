#include <gtest/gtest.h>

#include "fakes.h"

namespace {
class SettingsFileTest : public ::testing::Test {
protected:
    Rig rig;
    void File(std::map<std::string, std::string> values) {
        rig.profile.exists = true;
        rig.profile.values = std::move(values);
    }
};

TEST_F(SettingsFileTest, FirstRunAppliesDefaultsCentresAndWritesNothing) {
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.email, L"");
    EXPECT_EQ(form.password, L"");
    EXPECT_EQ(form.callsign, L"");
    EXPECT_EQ(form.HostPortNumber, L"2333");
    EXPECT_EQ(rig.view.left, (15360.0f - 4560.0f) / 2);
    EXPECT_EQ(rig.view.top, (11520.0f - 3000.0f) / 2);
    EXPECT_TRUE(rig.profile.writes.empty());
    EXPECT_EQ(rig.profile.existsPath, L"C:\\Radio\\vantary-gateway.ini");
    EXPECT_EQ(*rig.socket.bound, 2333);
}

TEST_F(SettingsFileTest, LoadsEveryKeyAndDefaultsAMissingPortTo2233) {
    File({{"Credentials/email", "op@example.org"},
          {"Credentials/password", "s3cret "},
          {"Credentials/callsign", "DL1ABC"},
          {"FormLocation/FormTop", "1200"},
          {"FormLocation/FormLeft", "-15360"}});
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.email, L"op@example.org");
    EXPECT_EQ(form.password, L"s3cret ");
    EXPECT_EQ(form.callsign, L"DL1ABC");
    EXPECT_EQ(form.HostPortNumber, L"2233");
    EXPECT_EQ(rig.view.top, 1200.0f);
    EXPECT_EQ(rig.view.left, -15360.0f);
    EXPECT_EQ(rig.profile.lastPath, "C:\\Radio\\vantary-gateway.ini");
}

TEST_F(SettingsFileTest, EmptyPortAndMissingLocationUseTheirDefaults) {
    File({{"GatewayUDPsettings/HostPortNumber", ""}});
    rig.view.left = rig.view.top = 999;
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.HostPortNumber, L"2233");
    EXPECT_EQ(rig.view.left, 0.0f);
    EXPECT_EQ(rig.view.top, 0.0f);
}

TEST_F(SettingsFileTest, ValuesAreTakenAsTheyStand) {
    File({{"GatewayUDPsettings/HostPortNumber", "abc"},
          {"Credentials/email", std::string(1000, 'e')},
          {"FormLocation/FormTop", "12,5"},
          {"FormLocation/FormLeft", "x"}});
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.HostPortNumber, L"abc");
    EXPECT_EQ(form.email, std::wstring(254, L'e'));
    EXPECT_EQ(rig.view.top, 12.0f);
    EXPECT_EQ(rig.view.left, 0.0f);
}

TEST_F(SettingsFileTest, AHiddenOrSystemFileCountsAsMissing) {
    File({{"GatewayUDPsettings/HostPortNumber", "4000"}});
    rig.profile.ordinary = false;
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.HostPortNumber, L"2333");
}

TEST_F(SettingsFileTest, SaveWritesSixKeysInOrder) {
    Main_form& form = rig.Make();
    form.Form_Load();
    rig.view.left = 7612.5f;
    rig.view.top = 300;
    rig.latin1.separator = L',';
    form.SaveSettingsToINI();
    EXPECT_EQ(rig.profile.writes,
              (std::vector<std::string>{"Credentials/email=", "Credentials/password=", "Credentials/callsign=",
                                        "GatewayUDPsettings/HostPortNumber=2333", "FormLocation/FormTop=300",
                                        "FormLocation/FormLeft=7612,5"}));
}

TEST_F(SettingsFileTest, CharactersOutsideTheCodePageAreReplaced) {
    Main_form& form = rig.Loaded();
    form.callsign = L"DL\u20ac1";
    form.SaveSettingsToINI();
    EXPECT_EQ(rig.profile.values["Credentials/callsign"], "DL?1");
}
}  // namespace
