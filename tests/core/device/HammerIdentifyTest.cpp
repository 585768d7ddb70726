// The "@ID@" answer: field rules, signature, format and download-support flags.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "device/IdentifyReply.h"

using namespace Device;

namespace {

// Fields as the cache holds them: type, app version, serial, hardware, signature, bootloader.
const SIdentity kPrevious{"old-type", "old-app", "old-serial", "old-hw", "old-sig", "old-boot"};

}  // namespace

TEST(HammerIdentify, FieldRules) {
    struct Case {
        const char* reply;
        bool success;
        bool fieldsRead;
        SIdentity identity;
    };
    const Case cases[] = {
        {"Talvenbrecker UN;HW 1.4;TB-N-1;05000001;1.3.7;1.0.2",
         true,
         true,
         {"Talvenbrecker UN", "1.3.7", "TB-N-1", "HW 1.4", "05000001", "1.0.2"}},
        // No bootloader version: it becomes empty and identification goes on.
        {"Talvenbrecker UN;HW 1.4;TB-N-1;05000001;1.3.7",
         true,
         true,
         {"Talvenbrecker UN", "1.3.7", "TB-N-1", "HW 1.4", "05000001", ""}},
        // Four fields: the application version is missing; the bootloader keeps its value.
        {"Talvenbrecker UN;HW 1.4;TB-N-1;05000001",
         false,
         false,
         {"Talvenbrecker UN", "", "TB-N-1", "HW 1.4", "05000001", "old-boot"}},
        // An empty middle field becomes "-" and the later fields keep their places.
        {"Talvenbrecker UN;;TB-N-1;05000001;1.3.7;1.0.2",
         true,
         true,
         {"Talvenbrecker UN", "1.3.7", "TB-N-1", "-", "05000001", "1.0.2"}},
        // Three separators leave one empty field, which is skipped.
        {"T;;;S;05000001;1.0;1.1", true, true, {"T", "1.0", "S", "-", "05000001", "1.1"}},
        {"", false, false, {"", "old-app", "old-serial", "old-hw", "old-sig", "old-boot"}},
        // The signature's top byte must be the family code 5.
        {"T;H;S;06000001;1.0;1.1", false, true, {"T", "1.0", "S", "H", "06000001", "1.1"}},
        {"T;H;S;not-hex;1.0;1.1", false, true, {"T", "1.0", "S", "H", "not-hex", "1.1"}},
        {"T;H;S;105000001;1.0;1.1", false, true, {"T", "1.0", "S", "H", "105000001", "1.1"}},
    };
    for (const auto& c : cases) {
        SIdentity identity = kPrevious;
        const auto outcome = ParseIdentifyReply(c.reply, identity, false, 5);
        EXPECT_EQ(outcome.Success, c.success) << c.reply;
        EXPECT_EQ(outcome.FieldsRead, c.fieldsRead) << c.reply;
        EXPECT_EQ(identity, c.identity) << c.reply;
    }
}

TEST(HammerIdentify, SignatureSetsTheNewFormatForGood) {
    struct Case {
        const char* signature;
        bool before;
        bool success;
        bool newFormat;
    };
    const Case cases[] = {
        {"05010000", false, true, true},   {"05000001", false, true, false},
        {"05000001", true, true, true},  // once set, a later identification never clears it
        {"0x05010000", false, true, true}, {"06010000", false, false, false},
    };
    for (const auto& c : cases) {
        SIdentity identity;
        const std::string reply = std::string("Talvenbrecker PCL;HW;SER;") + c.signature + ";2.0;1.0";
        const auto outcome = ParseIdentifyReply(reply, identity, c.before, 5);
        EXPECT_EQ(outcome.Success, c.success) << c.signature;
        EXPECT_EQ(outcome.NewFormat, c.newFormat) << c.signature;
    }
}

TEST(HammerIdentify, DownloadSupportFromTheDeviceType) {
    struct Case {
        const char* type;
        const char* signature;
        std::optional<bool> support;  // nothing: the flag stays as it was
    };
    const Case cases[] = {
        // Newer format: more than 16 characters, "PC" at positions 14 and 15.
        {"Talvenbrecker PCL", "05010000", true},
        {"Talvenbrecker PXL", "05010000", false},
        {"Talvenbrecker CPL", "05010000", false},
        {"Talvenbrecker PC", "05010000", std::nullopt},
        // Older format: at least 16 characters, "U" at position 14.
        {"Talvenbrecker UN", "05000001", true},
        {"Talvenbrecker -N", "05000001", false},
        {"Talvenbrecker UNX", "05000001", true},
        {"Talvenbrecker U", "05000001", std::nullopt},
    };
    for (const auto& c : cases) {
        SIdentity identity;
        const std::string reply = std::string(c.type) + ";HW;SER;" + c.signature + ";2.0;1.0";
        const auto outcome = ParseIdentifyReply(reply, identity, false, 5);
        EXPECT_EQ(outcome.DownloadSupport, c.support) << c.type;
    }
}

TEST(HammerIdentify, HexSignature) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> value;
    };
    const Case cases[] = {
        {"05010000", 0x05010000u}, {"0x05010000", 0x05010000u},  {" 5000001", 0x05000001u},
        {"ffffffff", 0xFFFFFFFFu}, {"05000001xyz", 0x05000001u}, {"100000000", std::nullopt},
        {"", std::nullopt},        {"x", std::nullopt},          {"0x", 0u},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseHexSignature(c.text), c.value) << c.text;
}
