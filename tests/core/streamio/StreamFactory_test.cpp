#include "streamio/StreamFactory.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StreamTestSupport.h"
#include "streamio/FileStream.h"
#include "streamio/RamStream.h"
#include "streamio/StreamErrors.h"

using namespace StreamIO;
using StreamTest::CodeOf;

namespace {

class FactoryTest : public StreamTest::StreamFixture {
  protected:
    void TearDown() override {
        SetSerialStreamFactory(nullptr);
        StreamFixture::TearDown();
    }
    // A stand-in serial transport that records what it was asked for.
    void PlugSerial() {
        SetSerialStreamFactory([this](unsigned port, const std::string& name, std::uint32_t flags) {
            m_Ports.push_back(port);
            auto stream = std::make_unique<CRamStream>();
            stream->Open("RAM:" + std::to_string(port), flags | kOpenAlways);
            (void)name;
            return stream;
        });
    }
    std::vector<unsigned> m_Ports;
};

TEST_F(FactoryTest, SerialNames) {
    struct Case {
        const char* name;
        unsigned port;
    };
    const Case cases[] = {
        {"com3:", 3},   {"COM1:", 1},   {"Com256:", 256}, {"COM003:", 3},  {"COM0:", 0},
        {"COM300:", 0}, {"COM257:", 0}, {"COM1", 0},      {"COM1234:", 0}, {"COM:", 0},
        {"COMx:", 0},   {"COM1:x", 0},  {"XCOM1:", 0},    {"COM 1:", 0},   {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(SerialPortFromName(c.name), c.port) << c.name;
}

TEST_F(FactoryTest, SerialBranchIsPluggable) {
    const std::int32_t unplugged = CodeOf([] { CreateStream("com3:", kOpenRead | kOpenWrite); });
    EXPECT_EQ(unplugged, kErrSerialUnavailable);
    try {
        CreateStream("COM3:", kOpenRead);
        FAIL() << "a serial name opened without a serial transport";
    } catch (const CFileException& e) {
        EXPECT_NE(std::string(e.what()).find("serial transport is not available"), std::string::npos);
        EXPECT_EQ(e.StreamName(), "COM3:");
    }

    PlugSerial();
    auto stream = CreateStream("com3:", kOpenRead | kOpenWrite);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->IsOpen());
    EXPECT_EQ(m_Ports, std::vector<unsigned>{3});
    // Out-of-range numbers are file names: opening them as missing files fails
    // with "not found", and the serial transport is never asked.
    EXPECT_EQ(CodeOf([] { CreateStream("COM0:", kOpenRead); }), kErrNotFound);
    EXPECT_EQ(CodeOf([] { CreateStream("COM300:", kOpenRead); }), kErrNotFound);
    EXPECT_EQ(m_Ports.size(), 1u);
}

TEST_F(FactoryTest, OtherBranchesByPrefix) {
    auto ram = CreateStream("ram:clip", kOpenRead | kOpenWrite | kCreateAlways);
    EXPECT_NE(dynamic_cast<CRamStream*>(ram.get()), nullptr);
    EXPECT_TRUE(ram->IsOpen());

    const std::string path = PathOf("made.bin");
    auto file = CreateStream(path, kOpenWrite | kCreateNew);
    EXPECT_NE(dynamic_cast<CFileStream*>(file.get()), nullptr);
    EXPECT_EQ(file->GetName(), path);
    EXPECT_TRUE(std::filesystem::exists(path));

    // IP names reach the IP transport: without a port they are no name at all.
    EXPECT_EQ(CodeOf([] { CreateStream("ip:host", kOpenRead); }), kErrInvalidName);
    EXPECT_EQ(CodeOf([&] { CreateStream(path, kOpenWrite | kCreateNew); }), kErrExists);
}

}  // namespace
