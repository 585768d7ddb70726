#pragma once
// What the names of the files on the update server mean: which files are
// installers of this program and which are firmware packages, with the version
// each name carries; and which names may ever become local file names.
#include <string_view>

#include "model/Version.h"

namespace Update {

// The installer of this program as the update server offers it: the setup
// program on Windows, the Debian package elsewhere. A name such as
// "Brelvantor_V_2_3_1_0.deb" carries version 2.3.1.0.
#ifdef _WIN32
inline constexpr std::string_view kInstallerExtension = ".exe";
#else
inline constexpr std::string_view kInstallerExtension = ".deb";
#endif

// The version of an installer name: the name is at least 6 characters long,
// ends in `extension` exactly (lower case) and contains "_V_"; the version is
// the text between "_V_" and the first point of the name with every "_" read
// as a point. Any other name, and a version text the parser cannot read, give 0.
CVersion InstallerVersion(std::string_view name, std::string_view extension = kInstallerExtension);

// The component kinds a device reports and a firmware package can carry.
inline constexpr int kPackageFirmware = 1;
inline constexpr int kPackageOs = 2;

// Whether the name is a firmware or operating-system package at all: it ends in
// lower-case "lod" after at least one more character.
bool IsPackageName(std::string_view name);

// The version a package name carries for `kind` (kPackageFirmware or
// kPackageOs). After the first "-V" the name is read in pieces up to each "."
// or "_": pieces of digits only (or empty) make up the version; the first other
// piece is the tag. Firmware accepts the tags "FW" and "APP", the operating
// system "OS"; a name without a tag counts for both. "x-V1.2.0_FW.lod" is
// firmware 1.2.0.0 and no operating system. 0 for anything else.
CVersion PackageVersion(std::string_view name, int kind);

// Whether a name from the server may be used as the name of a local file or
// of a file to fetch: not empty, not "." and without "/", "\", "..", control
// characters, and not longer than a file name may be.
bool IsSafeServerName(std::string_view name);

}  // namespace Update
