#pragma once
// JSON state files of the simulated hammer.
//
// {
//   "format": "old" | "new",
//   "identity": { "deviceType", "hardwareRevision", "serialNumber", "signature",
//                 "applicationVersion", "bootloaderVersion" },
//   "identifyReply": "raw @ID@ answer (optional, overrides identity)",
//   "deviceCode": 83951616 or "0x05010000",
//   "download": true,  "formatByte": 1,  "checkKind": 2,
//   "modes": [0, 8, 12], "activeMode": 8, "modeSwitchMs": 300, "echo": false,
//   "clock": "2024-03-01 08:00:00",
//   "link": { "on": false, "seconds": 0, "offCount": 0 },
//   "curveSlots": [ slot or null, slot or null, slot or null ],
//      slot: { "qMin", "qMax", "kind", "a", "b", "c", "d", "name", "flags" }
//   "customStatistics": { "mode", "minImpacts", "maxImpacts", "upperOutliers", "lowerOutliers" },
//   "series": [ { "impactCounter", "infoA", "dateTime" ("YYYY-MM-DD hh:mm:ss" or seconds
//                 since 2000), "mode", "infoB", "infoC", "upperOutliers", "lowerOutliers",
//                 "curve", "unit", "form", "infoD", "carbonation", "unused2", "unused11",
//                 "countQuirk", "readings": [ [qHalf, energy, extra], ... ] } ],
//   "generate": { "series": 158, "readings": 99, "seed": 1 }   (appended to "series")
// }
//
// Every field is optional; numbers out of their field's range are errors, so
// that a typing mistake in a state file is reported instead of wrapped around.
#include <string>

#include "SimState.h"

namespace Sim {

// false with a message in `error` when the text is not a valid state.
bool ParseState(const std::string& text, SSimState& state, std::string& error);
bool LoadStateFile(const std::string& path, SSimState& state, std::string& error);

// The state as JSON text (readings as [qHalf, energy, extra] arrays).
std::string StateToJson(const SSimState& state);
bool SaveStateFile(const std::string& path, const SSimState& state, std::string& error);

// Helpers shared with the tests.
std::string FormatDateTime(std::uint32_t secondsSince2000);
bool ParseDateTime(const std::string& text, std::uint32_t& secondsSince2000);

}  // namespace Sim
