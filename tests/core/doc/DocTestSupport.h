#pragma once
// Shared pieces of the document tests: a fixture with the stream subsystem up,
// a scratch folder, the curve library pointed into it and an empty curve
// store; series and curve builders; a byte builder for handmade data; a view
// that records its notices.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "doc/DocView.h"
#include "doc/HammerDoc.h"
#include "doc/MemoryClipboard.h"
#include "model/CurveStore.h"
#include "model/ModelTypes.h"
#include "streamio/FileStream.h"
#include "streamio/StreamRegistry.h"
#include "streamio/ZVArchive.h"
#include "support/ScriptedPrompt.h"

namespace DocTest {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

inline const std::u16string kTypeN = u"TALVENBRECKER   N";  // letter at 16: new download format
inline const std::u16string kTypeL = u"TALVENBRECKER   L";

inline fs::path FixturePath(const std::string& leaf) {
    return fs::path(BRELVANTOR_SOURCE_DIR) / "tests" / "fixtures" / "doc" / leaf;
}

inline Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Little-endian bytes in the archive's encodings.
class CBytes {
  public:
    CBytes& B(std::uint8_t v) {
        m_data.push_back(v);
        return *this;
    }
    CBytes& W(std::uint16_t v) {
        return B(static_cast<std::uint8_t>(v)).B(static_cast<std::uint8_t>(v >> 8));
    }
    CBytes& D(std::uint32_t v) {
        return W(static_cast<std::uint16_t>(v)).W(static_cast<std::uint16_t>(v >> 16));
    }
    CBytes& F(float v) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        return D(bits);
    }
    CBytes& S(std::u16string_view text) {
        B(0xFE).W(static_cast<std::uint16_t>(text.size()));
        for (char16_t c : text) W(static_cast<std::uint16_t>(c));
        return *this;
    }
    CBytes& Raw(const Bytes& bytes) {
        m_data.insert(m_data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    CBytes& Zeros(std::size_t n) {
        m_data.insert(m_data.end(), n, 0);
        return *this;
    }
    const Bytes& Data() const { return m_data; }
    std::size_t Size() const { return m_data.size(); }

  private:
    Bytes m_data;
};

// The start of every project: signature, writer version, format version.
inline CBytes ProjectHeader(std::uint16_t version) {
    CBytes b;
    b.S(u"TolveX Brelvantor project file").W(1).W(0).W(0).W(0).W(version);
    return b;
}

// An 18-byte record header of the old body.
struct TOldHeader {
    std::uint16_t impact = 1;
    std::uint32_t time = 0;
    std::uint8_t unit = 2;
    std::uint8_t count = 1;
    std::uint8_t mode = 2;
    std::uint8_t carbonation = 0;
    std::uint8_t curve = 1;
    std::uint8_t form = 4;
};

inline void AppendOldHeader(Bytes& block, const TOldHeader& h) {
    CBytes b;
    b.W(h.impact)
        .W(0)
        .W(0)
        .D(h.time)
        .B(h.unit)
        .B(0)
        .B(h.count)
        .B(h.mode)
        .B(h.carbonation)
        .B(h.curve)
        .B(h.form)
        .B(0);
    block.insert(block.end(), b.Data().begin(), b.Data().end());
}

// Old readings: QHalf, Energy, Extra.
inline void AppendOldReadings(Bytes& block, std::initializer_list<std::uint8_t> qHalf) {
    for (std::uint8_t q : qHalf) {
        block.push_back(q);
        block.push_back(0);
        block.push_back(0);
        block.push_back(0);
    }
}

inline TVantrelObject MakeSeries(std::initializer_list<double> q, std::uint8_t mode = kModeMean,
                                 std::uint8_t curve = 1) {
    TVantrelObject s;
    s.AveragingMode = mode;
    s.Unit = kUnitNmm2;
    s.CurveId = curve;
    s.FormCode = 4;
    s.NewDataFormat = 1;
    s.DeviceType = kTypeN;
    s.SerialNumber = u"SN-1";
    for (double v : q) s.Readings.push_back(TMeas{static_cast<std::uint8_t>(v * 2), 500, 0});
    s.DeviceCount = static_cast<std::uint8_t>(s.Readings.size());
    s.ResetReadingFlags();
    return s;
}

inline TConvCust MakeCurve(const char* name, float c, std::uint8_t flags = 9) {
    TConvCust curve;
    curve.QMin = 20;
    curve.QMax = 60;
    curve.C = c;  // fck = c * Q
    curve.SetName8(name);
    curve.Flags = flags;
    return curve;
}

// Records the notices it receives.
class CRecordingView : public IDocView {
  public:
    std::vector<int> notices;
    void OnDocChanged(int index) override { notices.push_back(index); }
};

class DocFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        StreamIO::StartStreams();
        std::string pattern = (fs::temp_directory_path() / "brelvantor-doc-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_curves = m_dir / "curves";
        ::setenv("BRELVANTOR_CURVES", m_curves.c_str(), 1);
        CCurveStore::Instance().Clear();
    }
    void TearDown() override {
        CCurveStore::Instance().Clear();
        StreamIO::ShutdownStreams();
        ::unsetenv("BRELVANTOR_CURVES");
        std::error_code ignored;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(m_dir, ignored);
    }

    fs::path PathOf(const std::string& leaf) const { return m_dir / leaf; }

    // Loads bytes as a project through a file; returns LoadProject's result.
    static bool LoadBytes(CHammerDoc& doc, const Bytes& bytes, const fs::path& scratch) {
        WriteFile(scratch, bytes);
        StreamIO::CFileStream stream;
        stream.Open(scratch.string(), StreamIO::kOpenRead | StreamIO::kShareRead);
        StreamIO::CZVArchive archive(stream.GetHandle(), StreamIO::CZVArchive::kLoad, 1024);
        return doc.LoadProject(archive);
    }

    // The project as SaveProject writes it.
    Bytes SavedBytes(CHammerDoc& doc, const std::string& leaf = "saved.zvh") {
        const fs::path path = PathOf(leaf);
        EXPECT_TRUE(doc.SaveProject(path));
        return ReadFile(path);
    }

    fs::path m_dir;
    fs::path m_curves;
};

}  // namespace DocTest
