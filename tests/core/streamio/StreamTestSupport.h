#pragma once
// Shared pieces of the stream tests: a fixture that brings the stream subsystem up
// and down around every test and owns a scratch folder, and small byte helpers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "streamio/FileException.h"
#include "streamio/IoStream.h"
#include "streamio/StreamErrors.h"
#include "streamio/StreamRegistry.h"

namespace StreamTest {

using Bytes = std::vector<std::uint8_t>;

// The code of the CFileException that `action` raises; -1 when it raises none.
inline std::int32_t CodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const StreamIO::CFileException& e) {
        return e.Code();
    }
    return -1;
}

class StreamFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        StreamIO::StartStreams();
        std::string pattern = (std::filesystem::temp_directory_path() / "brelvantor-stream-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_Dir = pattern;
    }
    void TearDown() override {
        StreamIO::ShutdownStreams();
        std::error_code ignored;
        std::filesystem::remove_all(m_Dir, ignored);
    }

    std::string PathOf(const std::string& leaf) const { return (m_Dir / leaf).string(); }

    static void WriteFile(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    std::filesystem::path m_Dir;
};

// A stream with scripted behaviour, for the registry's own rules.
class CFakeStream : public StreamIO::CIoStream {
  public:
    explicit CFakeStream(bool* destroyed = nullptr) : m_Destroyed(destroyed) {}
    ~CFakeStream() override {
        Unregister();
        if (m_Destroyed != nullptr) *m_Destroyed = true;
    }
    void Close() override {
        m_Open = false;
        if (onClose) onClose();
    }
    bool IsOpen() const override { return m_Open; }
    std::size_t Read(void*, std::size_t) override { return 0; }
    std::size_t Write(const void*, std::size_t count) override {
        const std::size_t taken = std::min(count, writeBudget);
        writeBudget -= taken;
        written += taken;
        SetLastError(taken == 0 && count != 0 ? StreamIO::kErrTimeout : StreamIO::kErrNone);
        return taken;
    }
    bool Open(const std::string& name, std::uint32_t flags) override {
        SetName(name);
        SetOpenFlags(flags);
        m_Open = true;
        return true;
    }

    std::function<void()> onClose;
    std::size_t writeBudget = SIZE_MAX;
    std::size_t written = 0;

  private:
    bool* m_Destroyed;
    bool m_Open = true;
};

}  // namespace StreamTest
