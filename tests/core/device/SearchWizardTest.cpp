// What the connection wizard keeps in the settings store, and the remote login
// check a selected device must pass.
#include <gtest/gtest.h>

#include <deque>
#include <optional>

#include "SearchFakeHammer.h"
#include "core/text/TempDir.h"
#include "device/ConnWizardSettings.h"
#include "device/LoginInfo.h"
#include "device/RemoteLogin.h"
#include "settings/SettingsStore.h"
#include "support/ScriptedPrompt.h"

using namespace Device;

namespace {

constexpr std::u16string_view kWizardKey = u"Software\\Tolvex\\ZvUpgrade\\Settings\\ConnWizard";

class SearchWizardSettings : public ::testing::Test {
  protected:
    CTempDir dir;
    Settings::CSettingsStore store{dir / "settings"};

    Settings::CSettingsKey Key() { return *store.OpenKey(kWizardKey, true); }
};

}  // namespace

TEST_F(SearchWizardSettings, KeyPathIsTheUpgradeToolsKey) {
    EXPECT_EQ(SConnWizardSettings::KeyPath(), kWizardKey);
}

TEST_F(SearchWizardSettings, MissingKeyLeavesTheInitialValues) {
    SConnWizardSettings settings;
    settings.PortNumber = 42;
    settings.Express = false;
    EXPECT_FALSE(settings.Load(store));
    EXPECT_EQ(settings.PortNumber, 42);
    EXPECT_FALSE(settings.Express);
}

TEST_F(SearchWizardSettings, LoadRulesPerValue) {
    using Value = Settings::TSettingsValue;
    struct SCase {
        const char* name;
        Value value;
        std::function<void(const SConnWizardSettings&)> check;
    } cases[] = {
        {"express 0", Value::Dword(u"Express", 0), [](auto& s) { EXPECT_FALSE(s.Express); }},
        {"express 2", Value::Dword(u"Express", 2), [](auto& s) { EXPECT_TRUE(s.Express); }},
        {"express as text", Value::String(u"Express", u"0"), [](auto& s) { EXPECT_TRUE(s.Express); }},
        {"scan 0", Value::Dword(u"Scan", 0), [](auto& s) { EXPECT_FALSE(s.Scan); }},
        {"scan as text", Value::String(u"Scan", u"0"), [](auto& s) { EXPECT_TRUE(s.Scan); }},
        {"stop scan 0", Value::Dword(u"Stop Scan", 0), [](auto& s) { EXPECT_FALSE(s.StopAfterFirst); }},
        {"device type 11", Value::Dword(u"DeviceType", 11), [](auto& s) { EXPECT_EQ(s.DeviceType, 11); }},
        {"device type 12", Value::Dword(u"DeviceType", 12), [](auto& s) { EXPECT_EQ(s.DeviceType, 0); }},
        {"device type as text", Value::String(u"DeviceType", u"2"),
         [](auto& s) { EXPECT_EQ(s.DeviceType, 0); }},
        {"port 9998", Value::Dword(u"ComPort", 9998), [](auto& s) { EXPECT_EQ(s.PortNumber, 9998); }},
        {"port 9999", Value::Dword(u"ComPort", 9999), [](auto& s) { EXPECT_EQ(s.PortNumber, 1); }},
        {"port 0", Value::Dword(u"ComPort", 0), [](auto& s) { EXPECT_EQ(s.PortNumber, 1); }},
        {"comm 1", Value::Dword(u"CommPort", 1), [](auto& s) { EXPECT_EQ(s.CommType, 1); }},
        {"comm 9999", Value::Dword(u"CommPort", 9999), [](auto& s) { EXPECT_EQ(s.CommType, 0); }},
        {"address", Value::String(u"IP Address", u"10.0.0.7"),
         [](auto& s) { EXPECT_EQ(s.Address, u"10.0.0.7"); }},
        {"address as number", Value::Dword(u"IP Address", 7), [](auto& s) { EXPECT_EQ(s.Address, u""); }},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(store.DeleteKey(kWizardKey) || !store.KeyExists(kWizardKey));
        ASSERT_TRUE(store.WriteValue(Key().Path(), c.value));
        SConnWizardSettings settings;
        settings.Express = false;
        settings.Scan = false;
        settings.StopAfterFirst = false;
        settings.Address = u"old";
        EXPECT_TRUE(settings.Load(store));
        c.check(settings);
    }
    // A missing flag means on, a missing number its fallback.
    ASSERT_TRUE(store.DeleteKey(kWizardKey));
    Key();
    SConnWizardSettings settings;
    settings.Scan = false;
    settings.PortNumber = 5;
    ASSERT_TRUE(settings.Load(store));
    EXPECT_TRUE(settings.Scan);
    EXPECT_EQ(settings.PortNumber, 1);
}

TEST_F(SearchWizardSettings, SaveStoresNumbersAndTheAddressAsText) {
    SConnWizardSettings settings;
    settings.Express = false;
    settings.DeviceType = 7;
    settings.PortNumber = 12;
    settings.CommType = 1;
    settings.Scan = false;
    settings.StopAfterFirst = true;
    settings.Address = u"192.168.0.9";
    ASSERT_TRUE(settings.Save(store, 2));
    Settings::CSettingsKey key = Key();
    EXPECT_EQ(key.ReadDword(u"Express"), 0u);
    EXPECT_EQ(key.ReadDword(u"DeviceType"), 2u);
    EXPECT_EQ(key.ReadDword(u"ComPort"), 12u);
    EXPECT_EQ(key.ReadDword(u"CommPort"), 1u);
    EXPECT_EQ(key.ReadDword(u"Scan"), 0u);
    EXPECT_EQ(key.ReadDword(u"Stop Scan"), 1u);
    EXPECT_EQ(key.ReadString(u"IP Address"), u"192.168.0.9");

    SConnWizardSettings loaded;
    ASSERT_TRUE(loaded.Load(store));
    EXPECT_EQ(loaded.PortNumber, 12);
    EXPECT_FALSE(loaded.Scan);
    EXPECT_EQ(loaded.DeviceType, 2);

    for (int port : {0, 10000}) {
        settings.PortNumber = port;
        ASSERT_TRUE(settings.Save(store));
        EXPECT_EQ(Key().ReadDword(u"ComPort"), 1u) << port;
        EXPECT_EQ(Key().ReadDword(u"DeviceType"), 7u);
    }
}

TEST_F(SearchWizardSettings, SearchParametersComeFromTheWizardState) {
    SConnWizardSettings settings;
    settings.CommType = PortSerial;
    settings.PortNumber = 7;
    settings.Scan = false;
    settings.StopAfterFirst = false;
    settings.Address = u"10.1.2.3";
    const SSearchParams params = settings.ToSearchParams(TypeVantrel);
    EXPECT_EQ(params.DeviceType, TypeVantrel);
    EXPECT_EQ(params.PortType, PortSerial);
    EXPECT_EQ(params.PortNumber, 7);
    EXPECT_FALSE(params.Scan);
    EXPECT_FALSE(params.StopAfterFirst);
    EXPECT_EQ(params.SkippedPort, -1);
    EXPECT_EQ(params.Address, "10.1.2.3");
}

// ---- Remote login ----------------------------------------------------------------

namespace {

// A device whose Login answers from a script and records what it was given.
class CLoginDevice : public CTestDevice {
  public:
    struct SAnswer {
        bool ok;
        std::uint32_t flags;
    };
    std::deque<SAnswer> answers;
    std::vector<SLoginInfo> calls;

    bool Login(SLoginInfo& info) override {
        calls.push_back(info);
        if (answers.empty()) return false;
        const SAnswer a = answers.front();
        answers.pop_front();
        info.Flags = a.flags;
        return a.ok;
    }
};

class CScriptedDialog : public ILoginDialog {
  public:
    std::deque<std::optional<SCredentials>> answers;
    std::vector<std::u16string> asked;
    std::optional<SCredentials> AskCredentials(const std::u16string& storedUser) override {
        asked.push_back(storedUser);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

class SearchRemoteLogin : public ::testing::Test {
  protected:
    CLoginDevice device;
    CScriptedPrompt prompt;
    CScriptedDialog dialog;
};

}  // namespace

TEST_F(SearchRemoteLogin, NoRequirementNeedsNoLogin) {
    EXPECT_TRUE(CheckRemoteLogin(device, 0, prompt, dialog));
    EXPECT_TRUE(device.calls.empty());
}

TEST_F(SearchRemoteLogin, MissingRightsAreAskedForUntilTheDeviceHasThem) {
    device.answers = {{true, 0}, {true, 3}};
    prompt.answers = {Text::MsgResult::Ok, Text::MsgResult::Ok};
    EXPECT_TRUE(CheckRemoteLogin(device, kLoginNeedsPassword | kLoginNeedsSuperUser, prompt, dialog));
    EXPECT_EQ(prompt.ShownIds(), (std::vector<unsigned>{21017, 21018}));
    EXPECT_EQ(prompt.shown[0].buttons, Text::MsgButtons::OkCancel);
    EXPECT_EQ(device.calls.size(), 2u);
    EXPECT_EQ(device.calls[0], SLoginInfo{});
}

TEST_F(SearchRemoteLogin, CancelOnARightsQuestionFails) {
    device.answers = {{true, SLoginInfo::kFlagSuperUser}};
    prompt.answers = {Text::MsgResult::Cancel};
    EXPECT_FALSE(CheckRemoteLogin(device, kLoginNeedsPassword, prompt, dialog));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{21018});
}

TEST_F(SearchRemoteLogin, AFailedLoginWithoutLoginRequestIsAnError) {
    device.answers = {{false, 0}};
    EXPECT_FALSE(CheckRemoteLogin(device, kLoginNeedsSuperUser, prompt, dialog));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{21014});
    EXPECT_EQ(prompt.shown[0].icon, Text::MsgIcon::Error);
    EXPECT_TRUE(dialog.asked.empty());
}

TEST_F(SearchRemoteLogin, ADeviceThatWantsALoginGetsTheDialog) {
    // Wants a login; the first password is wrong, the second works.
    device.answers = {{false, SLoginInfo::kFlagPassword}, {false, 0}, {true, 0}, {true, 3}};
    dialog.answers = {SCredentials{u"anna", u"wrong"}, SCredentials{u"anna", u"right"}};
    prompt.answers = {Text::MsgResult::Ok};
    EXPECT_TRUE(CheckRemoteLogin(device, kLoginNeedsSuperUser, prompt, dialog));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{21019});
    ASSERT_EQ(device.calls.size(), 4u);
    EXPECT_EQ(device.calls[1].User, u"anna");
    EXPECT_EQ(device.calls[1].Password, u"wrong");
    EXPECT_EQ(device.calls[2].Password, u"right");
    EXPECT_EQ(dialog.asked.size(), 2u);
}

TEST_F(SearchRemoteLogin, CancellingTheDialogFails) {
    device.answers = {{false, SLoginInfo::kFlagPassword}};
    dialog.answers = {std::nullopt};
    EXPECT_FALSE(CheckRemoteLogin(device, kLoginNeedsPassword, prompt, dialog));
    EXPECT_TRUE(prompt.shown.empty());

    // "Login failed" answered with Cancel ends the dialog too.
    CLoginDevice other;
    other.answers = {{false, 0}};
    CScriptedDialog once;
    once.answers = {SCredentials{u"x", u"y"}};
    prompt.answers = {Text::MsgResult::Cancel};
    EXPECT_FALSE(RunRemoteLoginDialog(other, prompt, once));
    EXPECT_EQ(prompt.ShownIds(), std::vector<unsigned>{21019});
}

TEST_F(SearchRemoteLogin, TheBaseLoginPassesTheSuperUserCheck) {
    CTestDevice plain;
    EXPECT_TRUE(CheckRemoteLogin(plain, kLoginNeedsSuperUser, prompt, dialog));
    EXPECT_TRUE(prompt.shown.empty());
}
