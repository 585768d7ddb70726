// The device base class over a scripted stream: attach rules, the single-exchange
// operations, texts and defaults.
#include <gtest/gtest.h>

#include <memory>

#include "EngineScriptStream.h"
#include "SearchFakeHammer.h"
#include "device/Callback.h"
#include "device/TrafficLog.h"
#include "device/ZvDevice.h"
#include "text/Encoding.h"

using namespace Device;

namespace {

// A scripted stream that tells the test when it is closed, after its owner has
// deleted it.
class CWatchedStream : public CScriptStream {
  public:
    explicit CWatchedStream(std::shared_ptr<int> closes) : m_Closes(std::move(closes)) {}
    void Close() override {
        ++*m_Closes;
        CScriptStream::Close();
    }

  private:
    std::shared_ptr<int> m_Closes;
};

class EngineDevice : public ::testing::Test {
  protected:
    CTestDevice device;
    CScriptStream* stream = nullptr;  // owned by the device once attached

    void AttachScript() {
        auto s = std::make_unique<CScriptStream>();
        stream = s.get();
        ASSERT_TRUE(device.Attach(std::move(s), PortSerial));
    }
};

}  // namespace

TEST_F(EngineDevice, AttachTakesOnlyAnOpenStreamOnce) {
    std::unique_ptr<StreamIO::CIoStream> closed = std::make_unique<CScriptStream>();
    closed->Close();
    EXPECT_FALSE(device.Attach(std::move(closed), PortSerial));
    EXPECT_TRUE(closed);  // not taken
    EXPECT_EQ(device.GetStream(), nullptr);
    EXPECT_EQ(device.GetCommands(), nullptr);

    for (int type : {0, 3, 8}) {
        std::unique_ptr<StreamIO::CIoStream> s = std::make_unique<CScriptStream>();
        EXPECT_FALSE(device.Attach(std::move(s), type)) << type;
        EXPECT_TRUE(s);
    }
    EXPECT_EQ(device.GetPortType(), PortNone);

    AttachScript();
    EXPECT_EQ(device.GetPortType(), PortSerial);
    ASSERT_NE(device.GetCommands(), nullptr);
    EXPECT_FALSE(device.GetCommands()->GetEcho());
    EXPECT_TRUE(stream->written.empty());  // echo off without an exchange
    EXPECT_EQ(device.GetPortName(), "script");

    std::unique_ptr<StreamIO::CIoStream> second = std::make_unique<CScriptStream>();
    EXPECT_FALSE(device.Attach(std::move(second), PortSerial));
    EXPECT_TRUE(second);
    EXPECT_EQ(device.GetStream(), stream);

    std::unique_ptr<StreamIO::CIoStream> back = device.Detach();
    EXPECT_EQ(back.get(), stream);
    EXPECT_EQ(device.GetCommands(), nullptr);
    EXPECT_EQ(device.GetPortType(), PortNone);
    EXPECT_TRUE(device.Attach(std::move(back), PortEthernet));
}

TEST_F(EngineDevice, DestructionClosesTheTransport) {
    auto closes = std::make_shared<int>(0);
    {
        CTestDevice owner;
        ASSERT_TRUE(owner.Attach(std::make_unique<CWatchedStream>(closes), PortSerial));
    }
    EXPECT_EQ(*closes, 1);
}

TEST_F(EngineDevice, WithoutEngineEveryExchangeFails) {
    std::uint8_t buffer[8] = {};
    int received = -1;
    char reply[8] = "x";
    std::string listing;
    SShortIdentity identity;
    EXPECT_FALSE(device.SendLinkControl(true, 1000));
    EXPECT_FALSE(device.SlowControlRequest());
    EXPECT_EQ(device.GetDeviceCode(), 0u);
    EXPECT_EQ(device.Transact(0xD1, 1, buffer, 8, 100), 0);
    EXPECT_EQ(device.ReceiveData(0xD1, buffer, 1, received, 8, 100, -1), kReceiveBadArguments);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(device.SendTextCommand("ID", reply, 8, 100), 0);
    EXPECT_EQ(reply[0], '\0');
    EXPECT_FALSE(device.QuickIdentify(identity));
    EXPECT_FALSE(device.Restart());
    EXPECT_FALSE(device.ListDirectory(0, listing));
    EXPECT_FALSE(device.RemoteLogout());
}

TEST_F(EngineDevice, LinkControlSendsRoundedSeconds) {
    struct SCase {
        bool on;
        std::uint32_t ms;
        Bytes payload;
    } cases[] = {
        {true, 0, B({0x10, 0x00})},      {true, 1500, B({0x10, 0x02})},   {true, 1000, B({0x10, 0x01})},
        {true, 255000, B({0x10, 0x00})}, {true, 256000, B({0x10, 0x01})}, {false, 9999, B({0x11, 0x00})},
    };
    for (const SCase& c : cases) {
        CTestDevice d;
        auto s = std::make_unique<CScriptStream>();
        CScriptStream* raw = s.get();
        ASSERT_TRUE(d.Attach(std::move(s), PortSerial));
        raw->ReplyAfter(4, B({1, 0x55}));
        EXPECT_TRUE(d.SendLinkControl(c.on, c.ms));
        EXPECT_EQ(raw->written, Cat({B({0xC2, 0xF4}), c.payload})) << c.ms;
        EXPECT_EQ(raw->timeouts.front(), std::make_pair(4000, 4000));
    }
    AttachScript();
    EXPECT_FALSE(device.SendLinkControl(false, 0));  // no reply byte
}

TEST_F(EngineDevice, SlowControlRequestAllowsTwentySeconds) {
    AttachScript();
    stream->ReplyAfter(4, B({1, 0}));
    EXPECT_TRUE(device.SlowControlRequest());
    EXPECT_EQ(stream->written, B({0xC2, 0xF4, 0x12, 0xD0}));
    EXPECT_EQ(stream->timeouts.front(), std::make_pair(20000, 20000));
}

TEST_F(EngineDevice, DeviceCodeIsFourBytesLeastSignificantFirst) {
    AttachScript();
    stream->ReplyAfter(2, B({4, 0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(device.GetDeviceCode(), 0x12345678u);
    EXPECT_EQ(stream->written, B({0xC0, 0xF1}));
    stream->ReplyAfter(stream->written.size() + 2, B({4, 0x78, 0x56}));
    EXPECT_EQ(device.GetDeviceCode(), 0xFFFFFFFFu);
    stream->ReplyAfter(stream->written.size() + 2, B({0xF3}));
    EXPECT_EQ(device.GetDeviceCode(), 0xFFFFFFFFu);
}

TEST_F(EngineDevice, QuickIdentifySkipsEmptyFields) {
    struct SCase {
        const char* reply;
        bool ok;
        SShortIdentity identity;
    } cases[] = {
        {"N;1.2;123\r", true, {"N", "1.2", "123"}},
        {";N;;1.2;;123;extra\r", true, {"N", "1.2", "123"}},
        {"N;1.2\r", false, {"N", "1.2", ""}},
        {"N;1.2;?\r", false, {}},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.reply);
        CTestDevice d;
        auto s = std::make_unique<CScriptStream>();
        CScriptStream* raw = s.get();
        ASSERT_TRUE(d.Attach(std::move(s), PortSerial));
        raw->ReplyAfter(1, B({0x06}));
        raw->ReplyAfter(4, Ascii(c.reply));
        SShortIdentity identity;
        EXPECT_EQ(d.QuickIdentify(identity), c.ok);
        if (c.ok || !c.identity.DeviceType.empty()) {
            EXPECT_EQ(identity, c.identity);
        }
        EXPECT_EQ(raw->written, Cat({B({0x10}), Ascii("ID\r")}));
        EXPECT_EQ(raw->timeouts.front(), std::make_pair(4000, 4000));
    }
}

TEST_F(EngineDevice, NegativeTimeOutsTakeTheDefaults) {
    AttachScript();
    std::uint8_t buffer[8] = {0x10};
    stream->ReplyAfter(3, B({0}));
    EXPECT_EQ(device.Transact(0xD1, 1, buffer, 8, -1), 0);
    EXPECT_EQ(stream->timeouts.back(), std::make_pair(1000, 1000));
    int received = 0;
    stream->ReplyAfter(6, B({0}));
    EXPECT_EQ(device.ReceiveData(0xD1, buffer, 1, received, 8, -1, -1), kReceiveOk);
    EXPECT_EQ(stream->timeouts.back(), std::make_pair(2000, 2000));
    char reply[16];
    stream->ReplyAfter(7, B({0x06}));
    stream->ReplyAfter(10, Ascii("ok\r"));
    EXPECT_EQ(device.SendTextCommand("ID", reply, sizeof reply, -1), 2);
    EXPECT_STREQ(reply, "ok");
    EXPECT_EQ(stream->timeouts.back(), std::make_pair(1000, 1000));
    EXPECT_EQ(device.SendTextCommand("", reply, sizeof reply, 100), 0);
    EXPECT_EQ(device.Transact(0xD1, 1, buffer, 0, 100), 0);
    EXPECT_EQ(device.ReceiveData(0xD1, buffer, 1, received, 0, 100, -1), kReceiveBadArguments);
}

TEST_F(EngineDevice, RestartResynchronisesAndAsksForModeTwelve) {
    AttachScript();
    stream->ReplyAfter(10, B({0xF0}));
    stream->ReplyAfter(14, B({1, 1}));  // mode 12 exists
    stream->ReplyAfter(18, B({1, 1}));  // and is active already
    EXPECT_TRUE(device.Restart());
    EXPECT_EQ(Bytes(stream->written.begin() + 10, stream->written.end()),
              Cat({B({0xC2, 0xF4, 0x00, 12}), B({0xC2, 0xF4, 0x01, 12})}));
}

TEST_F(EngineDevice, CallbackIsSetOnlyOnce) {
    CCallback first;
    CCallback second;
    EXPECT_FALSE(device.SetCallback(nullptr));
    EXPECT_TRUE(device.SetCallback(&first));
    EXPECT_FALSE(device.SetCallback(&second));
    EXPECT_EQ(device.GetCallback(), &first);
    EXPECT_EQ(device.TakeCallback(), &first);
    EXPECT_EQ(device.GetCallback(), nullptr);
    EXPECT_TRUE(device.SetCallback(&second));
}

TEST_F(EngineDevice, SourceStreamIsTakenOnlyWhenOpenAndOnce) {
    std::unique_ptr<StreamIO::CIoStream> closed = std::make_unique<CScriptStream>();
    closed->Close();
    EXPECT_FALSE(device.SetSourceStream(std::move(closed)));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(device.SetSourceStream(std::make_unique<CScriptStream>()));
    EXPECT_FALSE(device.SetSourceStream(std::make_unique<CScriptStream>()));
    EXPECT_TRUE(device.TakeSourceStream());
    EXPECT_EQ(device.GetSourceStream(), nullptr);
}

TEST_F(EngineDevice, UpdateErrorTexts) {
    const std::string advice =
        "\r\nPlease restart the device and this Application and retry the Update.\r\nIn case the error "
        "persists, "
        "contact a Tolvex service centre.";
    struct SCase {
        int code;
        std::string start;
        bool advised;
    } cases[] = {
        {3, "An error occurred during data upload process.", true},
        {4, "An error occurred during device program.", true},
        {5, "An error occurred during device operation mode change.", true},
        {6, "A communication error occurred during the device Update.", true},
        {7, "An error occurred during file read.", false},
        {8, "The update packet does not match the device type.", false},
        {9, "The process was aborted by the user.", false},
        {10, "The update packet does not support this Hardware (Hardware Revision).", false},
        {11, "The update packet needs a newer OS Version than the one in your device.", false},
        {42, "An error (42) occurred during the device Update.", true},
    };
    for (const SCase& c : cases) {
        const std::string text = Text::ToUtf8(device.GetErrorText(c.code));
        EXPECT_EQ(text.rfind(c.start, 0), 0u) << c.code << ": " << text;
        const bool advised =
            text.size() >= advice.size() && text.substr(text.size() - advice.size()) == advice;
        EXPECT_EQ(advised, c.advised) << c.code;
    }
}

TEST_F(EngineDevice, BaseLoginSaysThereIsNone) {
    SLoginInfo info;
    info.User = u"anna";
    info.Password = u"secret";
    EXPECT_TRUE(device.Login(info));
    EXPECT_EQ(info.User, u"No remote login implemented.");
    EXPECT_EQ(info.Password, u"");
    EXPECT_EQ(info.Flags, 6u);
    EXPECT_TRUE(device.Logout());
    EXPECT_EQ(device.GetLoginInfo(), SLoginInfo{});
}

TEST_F(EngineDevice, TrafficLogFollowsTheEngineAcrossAttach) {
    class CCount : public ITrafficLog {
      public:
        int entries = 0;
        void OnTraffic(ETrafficDirection, std::int64_t, std::span<const std::uint8_t>) override { ++entries; }
    } log;
    device.SetTrafficLog(&log);
    AttachScript();
    stream->ReplyAfter(2, B({4, 1, 2, 3, 4}));
    device.GetDeviceCode();
    EXPECT_EQ(log.entries, 2);
}
