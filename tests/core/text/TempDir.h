#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the test ends. Each test process gets its own, so tests may run
// in parallel.
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

class CTempDir {
  public:
    CTempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "brelvantor-test-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~CTempDir() {
        std::error_code ec;
        // Folders a test made read-only must become writable again to be removed.
        for (auto it = std::filesystem::recursive_directory_iterator(m_path, ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec)) ::chmod(it->path().c_str(), 0700);
        }
        std::filesystem::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

    std::filesystem::path Write(std::string_view name, std::string_view bytes) const {
        const auto file = m_path / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return file;
    }

    static std::string Read(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

  private:
    std::filesystem::path m_path;
};
