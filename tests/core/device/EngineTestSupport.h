#pragma once
// The engine test fixture: a scripted stream and an engine whose clock and
// sleeps the test controls.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "EngineScriptStream.h"
#include "device/Callback.h"
#include "device/ZvCommands.h"

namespace Device {

// An engine whose clock and sleeps are under the test's control.
class CTestEngine : public CZvCommands {
  public:
    using CZvCommands::CZvCommands;
    std::int64_t clockMs = 0;
    std::vector<int> sleeps;

    std::chrono::steady_clock::time_point Now() const override {
        return std::chrono::steady_clock::time_point(std::chrono::milliseconds(clockMs));
    }
    void Sleep(int milliseconds) override {
        sleeps.push_back(milliseconds);
        clockMs += milliseconds;
    }
    int TotalSleep() const {
        int total = 0;
        for (int s : sleeps) total += s;
        return total;
    }
};

class CProgress : public CCallback {
  public:
    CProgress() { SetProgressEnabled(true); }
    std::vector<std::vector<int>> calls;
    void OnProgress(int percent, int phase, int timeHintMs) override {
        calls.push_back({percent, phase, timeHintMs});
    }
};

class EngineTest : public ::testing::Test {
  protected:
    CScriptStream stream;
    CTestEngine engine{&stream};
    std::uint8_t buffer[300] = {};

    Bytes Buffer(std::size_t n) const { return Bytes(buffer, buffer + n); }
};

}  // namespace Device
