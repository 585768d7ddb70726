// Names and checksum files from the update server: every rule that reads them
// must take any bytes, and a name it accepts as safe must stay one plain file
// name inside the folder it is written to.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "device/Contents.h"
#include "update/Sha256.h"
#include "update/UpdateChecks.h"
#include "update/UpdateNames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    (void)Update::InstallerVersion(bytes, ".exe");
    (void)Update::InstallerVersion(bytes, ".deb");
    (void)Update::PackageVersion(bytes, Update::kPackageFirmware);
    (void)Update::PackageVersion(bytes, Update::kPackageOs);
    (void)Update::CSha256::ParseDigestFile(bytes);

    if (Update::IsSafeServerName(bytes)) {
        const std::filesystem::path folder = "/srv/updates";
        const std::filesystem::path target = (folder / std::string(bytes)).lexically_normal();
        if (target.parent_path() != folder || target.filename() != std::string(bytes)) std::abort();
    }

    // The input as a listing, one name per line.
    std::vector<std::string> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || bytes[i] == '\n') {
            names.emplace_back(bytes.substr(start, i - start));
            start = i + 1;
        }
    }
    for (const auto& ranked : Update::RankInstallers(names, CVersion(), ".deb"))
        if (!Update::IsSafeServerName(ranked.name) || ranked.version.IsNone()) std::abort();
    Device::CContents installed;
    Device::SContentEntry app;
    app.Kind = Update::kPackageFirmware;
    installed.Add(app);
    (void)Update::NewestPackages(names, installed);
    return 0;
}
