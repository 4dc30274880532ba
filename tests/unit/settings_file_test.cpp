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
    EXPECT_EQ(form.CurrentSettings().email, L"");
    EXPECT_EQ(form.CurrentSettings().password, L"");
    EXPECT_EQ(form.CurrentSettings().callsign, L"");
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2333");
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
    // -15360: a window on a monitor left of the primary one.
    rig.view.workAreas.push_back({-15360, 0, 15360, 11520});
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.CurrentSettings().email, L"op@example.org");
    EXPECT_EQ(form.CurrentSettings().password, L"s3cret ");
    EXPECT_EQ(form.CurrentSettings().callsign, L"DL1ABC");
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2233");
    EXPECT_EQ(rig.view.top, 1200.0f);
    EXPECT_EQ(rig.view.left, -15360.0f);
    EXPECT_EQ(rig.profile.lastPath, "C:\\Radio\\vantary-gateway.ini");
}

TEST_F(SettingsFileTest, EmptyPortAndMissingLocationUseTheirDefaults) {
    File({{"GatewayUDPsettings/HostPortNumber", ""}});
    rig.view.left = rig.view.top = 999;
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2233");
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
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"abc");
    EXPECT_EQ(form.CurrentSettings().email, std::wstring(254, L'e'));
    EXPECT_EQ(rig.view.top, 12.0f);
    EXPECT_EQ(rig.view.left, 0.0f);
}

TEST_F(SettingsFileTest, AFolderOfThatNameCountsAsMissing) {
    File({{"GatewayUDPsettings/HostPortNumber", "4000"}});
    rig.profile.folder = true;
    Main_form& form = rig.Make();
    form.Form_Load();
    EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2333");
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

// A best-fit conversion turns some characters into plain letters: the path
// it gives names another folder.
class BestFitCodec : public Latin1Codec {
public:
    std::string ToAnsi(std::wstring_view text) const override {
        std::wstring fitted(text);
        for (wchar_t& c : fitted)
            if (c == L'\u0101') c = L'a';
        return Latin1Codec::ToAnsi(fitted);
    }
};

TEST_F(SettingsFileTest, AFolderTheCodePageCannotNameIsReadAndWrittenThroughItsShortName) {
    BestFitCodec bestFit;
    const struct {
        const AnsiCodec* codec;
        const wchar_t* folder;
    } cases[] = {{&rig.latin1, L"C:\\\u0420\u0430\u0434\u0438\u043e"}, {&bestFit, L"C:\\Radi\u0101"}};
    for (const auto& c : cases) {
        Rig local;
        local.codec = c.codec;
        local.app.folder = c.folder;
        local.app.shortFolder = L"C:\\RADIO~1";
        local.profile.exists = true;
        local.profile.values["GatewayUDPsettings/HostPortNumber"] = "2400";
        Main_form& form = local.Make();
        form.Form_Load();
        EXPECT_EQ(form.CurrentSettings().HostPortNumber, L"2400");
        EXPECT_EQ(local.profile.lastPath, "C:\\RADIO~1\\vantary-gateway.ini");
        local.profile.lastPath.clear();
        form.SaveSettingsToINI();
        EXPECT_EQ(local.profile.lastPath, "C:\\RADIO~1\\vantary-gateway.ini");
        EXPECT_EQ(local.profile.existsPath, std::wstring(c.folder) + L"\\vantary-gateway.ini");
    }
    // A folder the code page can name keeps its long name.
    rig.app.folder = L"C:\\Funkger\u00e4t";
    rig.app.shortFolder = L"C:\\FUNKGE~1";
    File({{"GatewayUDPsettings/HostPortNumber", "2400"}});
    rig.Make().Form_Load();
    EXPECT_EQ(rig.profile.lastPath, "C:\\Funkger\xe4t\\vantary-gateway.ini");
}
}  // namespace
