#include "StateJson.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>
#include <stdexcept>

namespace Sim {

namespace {

using nlohmann::json;

// Thrown inside the parser only; ParseState turns it into its error text.
struct SStateError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Days between 1970-01-01 and the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

const std::int64_t kEpoch2000 = DaysFromCivil(2000, 1, 1);

bool IsValidDate(int y, int m, int d) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12 || d < 1) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

template <class T>
T Number(const json& j, const char* key, T fallback) {
    const auto it = j.find(key);
    if (it == j.end() || it->is_null()) return fallback;
    if (it->is_string()) {
        // Hexadecimal or decimal text, for values such as device codes.
        const std::string text = it->get<std::string>();
        char* end = nullptr;
        const unsigned long long v = std::strtoull(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0' || v > std::numeric_limits<T>::max()) {
            throw SStateError(std::string("\"") + key + "\" is not a number: " + text);
        }
        return static_cast<T>(v);
    }
    if (!it->is_number()) throw SStateError(std::string("\"") + key + "\" must be a number");
    if (it->is_number_float()) {
        const double v = it->get<double>();
        if (v != static_cast<double>(static_cast<long long>(v))) {
            throw SStateError(std::string("\"") + key + "\" must be a whole number");
        }
    }
    const long long v = it->get<long long>();
    if (v < 0 || static_cast<unsigned long long>(v) > std::numeric_limits<T>::max()) {
        throw SStateError(std::string("\"") + key + "\" is out of range: " + std::to_string(v));
    }
    return static_cast<T>(v);
}

bool Flag(const json& j, const char* key, bool fallback) {
    const auto it = j.find(key);
    if (it == j.end() || it->is_null()) return fallback;
    if (!it->is_boolean()) throw SStateError(std::string("\"") + key + "\" must be true or false");
    return it->get<bool>();
}

std::string Text(const json& j, const char* key, const std::string& fallback) {
    const auto it = j.find(key);
    if (it == j.end() || it->is_null()) return fallback;
    if (!it->is_string()) throw SStateError(std::string("\"") + key + "\" must be a text");
    return it->get<std::string>();
}

// Curve names are 8-bit on the hammer. JSON carries UTF-8; characters up to
// U+00FF map to their byte, anything else becomes '?'.
std::array<std::uint8_t, 10> NameFromUtf8(const std::string& text) {
    std::array<std::uint8_t, 10> name{};
    std::size_t out = 0;
    for (std::size_t i = 0; i < text.size() && out < name.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp = c;
        std::size_t len = 1;
        if (c >= 0xF0) {
            len = 4;
        } else if (c >= 0xE0) {
            len = 3;
        } else if (c >= 0xC0) {
            len = 2;
            if (i + 1 < text.size())
                cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
        }
        name[out++] = cp <= 0xFF && len <= 2 ? static_cast<std::uint8_t>(cp) : '?';
        i += len;
    }
    return name;
}

std::string NameToUtf8(const std::array<std::uint8_t, 10>& name) {
    std::string text;
    for (const std::uint8_t b : name) {
        if (b == 0) continue;
        if (b < 0x80) {
            text.push_back(static_cast<char>(b));
        } else {
            text.push_back(static_cast<char>(0xC0 | (b >> 6)));
            text.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    return text;
}

SSimReading ReadingFromJson(const json& r) {
    SSimReading reading;
    if (r.is_array()) {
        if (r.size() < 1 || r.size() > 3) throw SStateError("a reading is [qHalf, energy, extra]");
        json obj = {{"qHalf", r[0]}};
        if (r.size() > 1) obj["energy"] = r[1];
        if (r.size() > 2) obj["extra"] = r[2];
        return ReadingFromJson(obj);
    }
    if (!r.is_object()) throw SStateError("a reading must be an array or an object");
    if (r.contains("q")) {
        // Q in whole units, as the hammer displays it; stored in half units.
        if (!r["q"].is_number()) throw SStateError("\"q\" must be a number");
        const double q = r["q"].get<double>();
        if (q < 0 || q > 127.5 || q * 2 != static_cast<double>(static_cast<int>(q * 2))) {
            throw SStateError("\"q\" must be 0 to 127.5 in steps of 0.5");
        }
        reading.QHalf = static_cast<std::uint8_t>(q * 2);
    } else {
        reading.QHalf = Number<std::uint8_t>(r, "qHalf", 0);
    }
    reading.Energy = Number<std::uint16_t>(r, "energy", 0);
    reading.Extra = Number<std::uint8_t>(r, "extra", 0);
    return reading;
}

SSimSeries SeriesFromJson(const json& s) {
    if (!s.is_object()) throw SStateError("a series must be an object");
    SSimSeries series;
    series.ImpactCounter = Number<std::uint16_t>(s, "impactCounter", 0);
    series.InfoA = Number<std::uint16_t>(s, "infoA", 0);
    if (const auto it = s.find("dateTime"); it != s.end() && it->is_string()) {
        if (!ParseDateTime(it->get<std::string>(), series.DateTime)) {
            throw SStateError("\"dateTime\" is not \"YYYY-MM-DD hh:mm:ss\" from 2000 on: " +
                              it->get<std::string>());
        }
    } else {
        series.DateTime = Number<std::uint32_t>(s, "dateTime", 0);
    }
    series.Mode = Number<std::uint8_t>(s, "mode", 0);
    series.InfoB = Number<std::uint8_t>(s, "infoB", 0);
    series.InfoC = Number<std::uint8_t>(s, "infoC", 0);
    series.UpperOutliers = Number<std::uint8_t>(s, "upperOutliers", 0);
    series.LowerOutliers = Number<std::uint8_t>(s, "lowerOutliers", 0);
    series.Curve = Number<std::uint8_t>(s, "curve", 0);
    series.Unit = Number<std::uint8_t>(s, "unit", 0);
    series.Form = Number<std::uint8_t>(s, "form", 0);
    series.InfoD = Number<std::uint8_t>(s, "infoD", 0);
    series.Carbonation = Number<std::uint8_t>(s, "carbonation", 0);
    series.Unused2 = Number<std::uint16_t>(s, "unused2", 0);
    series.Unused11 = Number<std::uint8_t>(s, "unused11", 0);
    series.CountQuirk = Flag(s, "countQuirk", false);
    if (const auto it = s.find("readings"); it != s.end()) {
        if (!it->is_array()) throw SStateError("\"readings\" must be an array");
        // The record's count byte holds 8 bits; a hammer never stores more.
        if (it->size() > 255) throw SStateError("a series holds at most 255 readings");
        for (const auto& r : *it) series.Readings.push_back(ReadingFromJson(r));
    }
    return series;
}

// A small deterministic generator (splitmix64), so that a generated state is the
// same on every machine.
struct SSplitMix {
    std::uint64_t s;
    std::uint64_t Next() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned Below(unsigned n) { return static_cast<unsigned>(Next() % n); }
};

void Generate(const json& g, SSimState& state) {
    if (!g.is_object()) throw SStateError("\"generate\" must be an object");
    const auto count = Number<std::uint32_t>(g, "series", 0);
    const auto readings = Number<std::uint8_t>(g, "readings", 10);
    if (count > 100000) throw SStateError("\"generate\": at most 100000 series");
    SSplitMix rng{Number<std::uint64_t>(g, "seed", 1)};
    std::uint32_t time = 0;
    if (!ParseDateTime(Text(g, "start", "2023-05-02 07:30:00"), time)) {
        throw SStateError("\"generate\": \"start\" is not a date and time");
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        SSimSeries s;
        s.ImpactCounter = static_cast<std::uint16_t>(1000 + i);
        s.DateTime = time;
        time += 600 + rng.Below(3000);
        // Only modes, forms, units and carbonation codes that pass the old
        // layout's plausibility test, so the data reads back in both layouts.
        static const std::uint8_t kModes[] = {1, 2, 3, 4};
        s.Mode = kModes[rng.Below(4)];
        s.Curve = static_cast<std::uint8_t>(rng.Below(4));
        s.Unit = static_cast<std::uint8_t>(rng.Below(4));
        s.Form = static_cast<std::uint8_t>(rng.Below(4));
        s.Carbonation = static_cast<std::uint8_t>(rng.Below(13));
        s.UpperOutliers = static_cast<std::uint8_t>(rng.Below(3));
        s.LowerOutliers = static_cast<std::uint8_t>(rng.Below(3));
        const unsigned base = 50 + rng.Below(60);
        for (unsigned r = 0; r < readings; ++r) {
            SSimReading reading;
            reading.QHalf = static_cast<std::uint8_t>(base + rng.Below(20));
            reading.Energy = static_cast<std::uint16_t>(300 + rng.Below(500));
            s.Readings.push_back(reading);
        }
        state.Series.push_back(std::move(s));
    }
}

SSimCurveSlot SlotFromJson(const json& j) {
    if (!j.is_object()) throw SStateError("a curve slot must be an object or null");
    SSimCurveSlot slot;
    slot.QMin = Number<std::uint8_t>(j, "qMin", 0);
    slot.QMax = Number<std::uint8_t>(j, "qMax", 0);
    slot.Kind = Number<std::uint8_t>(j, "kind", 0);
    auto coef = [&](const char* key) {
        const auto it = j.find(key);
        if (it == j.end() || it->is_null()) return 0.0f;
        if (!it->is_number()) throw SStateError(std::string("\"") + key + "\" must be a number");
        return static_cast<float>(it->get<double>());
    };
    slot.A = coef("a");
    slot.B = coef("b");
    slot.C = coef("c");
    slot.D = coef("d");
    slot.Name = NameFromUtf8(Text(j, "name", ""));
    slot.Flags = Number<std::uint8_t>(j, "flags", 9);
    return slot;
}

void StateFromJson(const json& j, SSimState& state) {
    if (!j.is_object()) throw SStateError("the state must be a JSON object");
    const std::string format = Text(j, "format", "old");
    if (format != "old" && format != "new") throw SStateError("\"format\" must be \"old\" or \"new\"");
    state = DefaultState(format == "new");
    if (const auto it = j.find("identity"); it != j.end()) {
        if (!it->is_object()) throw SStateError("\"identity\" must be an object");
        auto& id = state.Identity;
        id.DeviceType = Text(*it, "deviceType", id.DeviceType);
        id.HardwareRevision = Text(*it, "hardwareRevision", id.HardwareRevision);
        id.SerialNumber = Text(*it, "serialNumber", id.SerialNumber);
        id.Signature = Text(*it, "signature", id.Signature);
        id.ApplicationVersion = Text(*it, "applicationVersion", id.ApplicationVersion);
        id.BootloaderVersion = Text(*it, "bootloaderVersion", id.BootloaderVersion);
    }
    if (const auto it = j.find("identifyReply"); it != j.end() && !it->is_null()) {
        state.IdentifyReply = Text(j, "identifyReply", "");
    }
    state.DeviceCode = Number<std::uint32_t>(j, "deviceCode", state.DeviceCode);
    state.DownloadSupported = Flag(j, "download", state.DownloadSupported);
    state.FormatByte = Number<std::uint8_t>(j, "formatByte", state.FormatByte);
    state.CheckKind = Number<std::uint8_t>(j, "checkKind", state.CheckKind);
    if (const auto it = j.find("modes"); it != j.end()) {
        if (!it->is_array()) throw SStateError("\"modes\" must be an array");
        state.Modes.clear();
        for (const auto& m : *it) {
            if (!m.is_number_unsigned() || m.get<unsigned>() > 15) throw SStateError("a mode is 0 to 15");
            state.Modes.push_back(static_cast<std::uint8_t>(m.get<unsigned>()));
        }
    }
    state.ActiveMode = Number<std::uint8_t>(j, "activeMode", state.ActiveMode);
    state.ModeSwitchMs = Number<std::uint32_t>(j, "modeSwitchMs", state.ModeSwitchMs);
    if (state.ModeSwitchMs == 0 || state.ModeSwitchMs > 0xFFFFFF) {
        throw SStateError("\"modeSwitchMs\" must be 1 to 16777215");
    }
    state.Echo = Flag(j, "echo", state.Echo);
    if (const auto it = j.find("clock"); it != j.end() && !it->is_null()) {
        std::uint32_t seconds = 0;
        if (!it->is_string() || !ParseDateTime(it->get<std::string>(), seconds)) {
            throw SStateError("\"clock\" must be \"YYYY-MM-DD hh:mm:ss\"");
        }
        const std::string text = it->get<std::string>();
        std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &state.Clock.Year, &state.Clock.Month,
                    &state.Clock.Day, &state.Clock.Hour, &state.Clock.Minute, &state.Clock.Second);
    }
    state.ClockSet = Flag(j, "clockSet", false);
    if (const auto it = j.find("link"); it != j.end() && !it->is_null()) {
        if (!it->is_object()) throw SStateError("\"link\" must be an object");
        state.LinkOn = Flag(*it, "on", false);
        state.LinkSeconds = Number<std::uint32_t>(*it, "seconds", 0);
        state.LinkOffCount = Number<std::uint32_t>(*it, "offCount", 0);
    }
    if (const auto it = j.find("curveSlots"); it != j.end() && !it->is_null()) {
        if (!it->is_array() || it->size() > 3)
            throw SStateError("\"curveSlots\" is an array of up to 3 slots");
        for (std::size_t i = 0; i < it->size(); ++i) {
            if (!(*it)[i].is_null()) state.Slots[i] = SlotFromJson((*it)[i]);
        }
    }
    if (const auto it = j.find("customStatistics"); it != j.end() && !it->is_null()) {
        SSimStatistics st;
        st.Mode = Number<std::uint8_t>(*it, "mode", st.Mode);
        st.MinImpacts = Number<std::uint8_t>(*it, "minImpacts", st.MinImpacts);
        st.MaxImpacts = Number<std::uint8_t>(*it, "maxImpacts", st.MaxImpacts);
        st.UpperOutliers = Number<std::uint8_t>(*it, "upperOutliers", st.UpperOutliers);
        st.LowerOutliers = Number<std::uint8_t>(*it, "lowerOutliers", st.LowerOutliers);
        state.Statistics = st;
    }
    if (const auto it = j.find("series"); it != j.end() && !it->is_null()) {
        if (!it->is_array()) throw SStateError("\"series\" must be an array");
        for (const auto& s : *it) state.Series.push_back(SeriesFromJson(s));
    }
    if (const auto it = j.find("generate"); it != j.end() && !it->is_null()) Generate(*it, state);
}

// The shortest decimal that reads back as the same float, so that a dumped
// coefficient shows as 0.012 rather than 0.012000000104308128.
double Shortest(float f) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text - 1, f);
    *result.ptr = '\0';
    return std::strtod(text, nullptr);
}

nlohmann::ordered_json SeriesToJson(const SSimSeries& s) {
    using json = nlohmann::ordered_json;
    json readings = json::array();
    for (const auto& r : s.Readings) readings.push_back({r.QHalf, r.Energy, r.Extra});
    json j = {{"impactCounter", s.ImpactCounter},
              {"infoA", s.InfoA},
              {"dateTime", FormatDateTime(s.DateTime)},
              {"mode", s.Mode},
              {"infoB", s.InfoB},
              {"infoC", s.InfoC},
              {"upperOutliers", s.UpperOutliers},
              {"lowerOutliers", s.LowerOutliers},
              {"curve", s.Curve},
              {"unit", s.Unit},
              {"form", s.Form},
              {"infoD", s.InfoD},
              {"carbonation", s.Carbonation}};
    if (s.Unused2 != 0) j["unused2"] = s.Unused2;
    if (s.Unused11 != 0) j["unused11"] = s.Unused11;
    if (s.CountQuirk) j["countQuirk"] = true;
    j["readings"] = std::move(readings);
    return j;
}

nlohmann::ordered_json StateToJsonValue(const SSimState& state) {
    using json = nlohmann::ordered_json;
    json j;
    j["format"] = state.NewFormat ? "new" : "old";
    j["identity"] = {{"deviceType", state.Identity.DeviceType},
                     {"hardwareRevision", state.Identity.HardwareRevision},
                     {"serialNumber", state.Identity.SerialNumber},
                     {"signature", state.Identity.Signature},
                     {"applicationVersion", state.Identity.ApplicationVersion},
                     {"bootloaderVersion", state.Identity.BootloaderVersion}};
    if (state.IdentifyReply) j["identifyReply"] = *state.IdentifyReply;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08" PRIX32, state.DeviceCode);
    j["deviceCode"] = code;
    j["download"] = state.DownloadSupported;
    j["formatByte"] = state.FormatByte;
    j["checkKind"] = state.CheckKind;
    j["modes"] = state.Modes;
    j["activeMode"] = state.ActiveMode;
    j["modeSwitchMs"] = state.ModeSwitchMs;
    j["echo"] = state.Echo;
    char clock[32];
    std::snprintf(clock, sizeof clock, "%04d-%02d-%02d %02d:%02d:%02d", state.Clock.Year, state.Clock.Month,
                  state.Clock.Day, state.Clock.Hour, state.Clock.Minute, state.Clock.Second);
    j["clock"] = clock;
    j["clockSet"] = state.ClockSet;
    j["link"] = {{"on", state.LinkOn}, {"seconds", state.LinkSeconds}, {"offCount", state.LinkOffCount}};
    json slots = json::array();
    for (const auto& slot : state.Slots) {
        if (!slot) {
            slots.push_back(nullptr);
            continue;
        }
        slots.push_back({{"qMin", slot->QMin},
                         {"qMax", slot->QMax},
                         {"kind", slot->Kind},
                         {"a", Shortest(slot->A)},
                         {"b", Shortest(slot->B)},
                         {"c", Shortest(slot->C)},
                         {"d", Shortest(slot->D)},
                         {"name", NameToUtf8(slot->Name)},
                         {"flags", slot->Flags}});
    }
    j["curveSlots"] = std::move(slots);
    if (state.Statistics) {
        const auto& st = *state.Statistics;
        j["customStatistics"] = {{"mode", st.Mode},
                                 {"minImpacts", st.MinImpacts},
                                 {"maxImpacts", st.MaxImpacts},
                                 {"upperOutliers", st.UpperOutliers},
                                 {"lowerOutliers", st.LowerOutliers}};
    }
    json series = json::array();
    for (const auto& s : state.Series) series.push_back(SeriesToJson(s));
    j["series"] = std::move(series);
    return j;
}

}  // namespace

std::string FormatDateTime(std::uint32_t secondsSince2000) {
    const std::int64_t days = kEpoch2000 + secondsSince2000 / 86400;
    const std::uint32_t rest = secondsSince2000 % 86400;
    int y = 0, m = 0, d = 0;
    CivilFromDays(days, y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02u:%02u:%02u", y, m, d, rest / 3600, rest / 60 % 60,
                  rest % 60);
    return text;
}

bool ParseDateTime(const std::string& text, std::uint32_t& secondsSince2000) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
        return false;
    if (y < 2000 || y > 2136 || !IsValidDate(y, mo, d) || h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 ||
        s < 0) {
        return false;
    }
    const std::int64_t seconds =
        (DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) - kEpoch2000) * 86400 +
        h * 3600 + mi * 60 + s;
    if (seconds < 0 || seconds > 0xFFFFFFFFll) return false;
    secondsSince2000 = static_cast<std::uint32_t>(seconds);
    return true;
}

SSimState DefaultState(bool newFormat) {
    SSimState state;
    state.NewFormat = newFormat;
    if (newFormat) {
        state.Identity = {"Talvenbrecker PCL", "HW 3.0", "TB-L-20417", "05010000", "2.4.1", "1.2.0"};
        state.DeviceCode = 0x05010000;
        state.Statistics = SSimStatistics{};
    } else {
        state.Identity = {"Talvenbrecker UN", "HW 1.4", "TB-N-08812", "05000001", "1.3.7", "1.0.2"};
        state.DeviceCode = 0x05000001;
    }
    state.Clock = {2024, 3, 1, 8, 0, 0};
    return state;
}

bool ParseState(const std::string& text, SSimState& state, std::string& error) {
    try {
        const json j = json::parse(text, nullptr, true, true);
        StateFromJson(j, state);
        return true;
    } catch (const json::exception& e) {
        error = e.what();
    } catch (const SStateError& e) {
        error = e.what();
    }
    return false;
}

bool LoadStateFile(const std::string& path, SSimState& state, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseState(text.str(), state, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

std::string StateToJson(const SSimState& state) {
    using json = nlohmann::ordered_json;
    // One line per series: a large state stays readable and diffable, where one
    // value per line would run to hundreds of thousands of lines.
    json j = StateToJsonValue(state);
    json series = std::move(j["series"]);
    j["series"] = "@series@";
    std::string out = j.dump(2);
    std::string list = "[";
    for (std::size_t i = 0; i < series.size(); ++i) {
        list += i == 0 ? "\n    " : ",\n    ";
        list += series[i].dump();
    }
    list += series.empty() ? "]" : "\n  ]";
    const auto at = out.find("\"@series@\"");
    if (at != std::string::npos) out.replace(at, 10, list);
    return out + "\n";
}

bool SaveStateFile(const std::string& path, const SSimState& state, std::string& error) {
    // Written beside the target and renamed over it, so that a dump cut short
    // by a second signal never leaves half a state behind.
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << StateToJson(state);
        out.flush();
        if (!out) {
            error = "cannot write " + temp;
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot rename " + temp + " to " + path;
        std::remove(temp.c_str());
        return false;
    }
    return true;
}

}  // namespace Sim
