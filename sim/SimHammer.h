#pragma once
// The simulated hammer: takes the bytes the program writes to the line and
// produces what a hammer answers, from and into its SSimState. It knows nothing
// of the line itself (CSimPty carries the bytes), so tests can also drive it
// byte by byte.
//
// Thread-safe: the line's thread feeds it while a test reads its state.
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "SimFaults.h"
#include "SimState.h"

namespace Sim {

// Device error codes this hammer answers with.
inline constexpr std::uint8_t kCodeResync = 0xF0;      // answer to the resynchronisation frame
inline constexpr std::uint8_t kCodeUnknown = 0xF3;     // request or sub-command not known
inline constexpr std::uint8_t kCodeBadRequest = 0xF4;  // wrong length or wrong form for this hammer

// One piece of output: wait PauseMs, then send Bytes.
struct SSimOutput {
    int PauseMs = 0;
    std::vector<std::uint8_t> Bytes;
};

// One request as the hammer understood it, for tests and the verbose log.
struct SSimRequest {
    enum EKind { Binary, Long, Text, Resync };
    EKind Kind = Binary;
    std::uint8_t Command = 0;
    std::vector<std::uint8_t> Payload;
    std::string TextCommand;
};

class CSimHammer {
  public:
    explicit CSimHammer(SSimState state, SSimFaults faults = {});

    // Bytes from the program; replies are appended to `out`.
    void Receive(std::span<const std::uint8_t> bytes, std::vector<SSimOutput>& out);
    // How long the line may stay quiet before OnQuiet is due (ms), or -1 when the
    // hammer waits for nothing. A long frame ends with a short pause; a request
    // left unfinished is dropped after a longer one, as a hammer's inter-byte
    // time-out does.
    int QuietTimeoutMs() const;
    void OnQuiet(std::vector<SSimOutput>& out);
    // The program closed the port: whatever was half received is dropped.
    void OnHangUp();

    SSimState GetState() const;
    void SetState(SSimState state);
    SSimFaults GetFaults() const;
    void SetFaults(const SSimFaults& faults);
    // Requests seen so far (the most recent 256), oldest first.
    std::vector<SSimRequest> GetRequests() const;
    void ClearRequests();
    // Input bytes that were not part of any request.
    std::size_t GetNoiseCount() const;
    // Called for every request as it is understood (on the line's thread, with
    // the hammer locked: the observer must not call back into the hammer).
    void SetRequestObserver(std::function<void(const SSimRequest&)> observer);

    // The complete download reply for the current state (also used to size the
    // example states and by the benchmark to know the transfer length).
    std::vector<std::uint8_t> BuildDownloadReply() const;

  private:
    enum class EParse { Idle, Command, Payload, Text, Long };

    void HandleByte(std::uint8_t b, std::vector<SSimOutput>& out);
    void FinishFrame(std::vector<SSimOutput>& out);
    void FinishText(std::vector<SSimOutput>& out);
    void Log(SSimRequest request);

    std::vector<std::uint8_t> Application(const std::vector<std::uint8_t>& p, bool& faultable);
    std::vector<std::uint8_t> Control(const std::vector<std::uint8_t>& p);
    std::string TextAnswer(const std::string& command);
    std::vector<std::uint8_t> DownloadReplyLocked() const;
    void Emit(std::vector<std::uint8_t> reply, bool applicationReply, std::vector<SSimOutput>& out);
    std::vector<std::uint8_t> Noise(std::size_t count);
    // Whether the gone-after fault stops answering once `requests` were seen.
    bool GoneAt(std::uint64_t requests) const;

    mutable std::mutex m_Mutex;
    SSimState m_State;
    SSimFaults m_Faults;
    EParse m_Parse = EParse::Idle;
    std::size_t m_Expected = 0;
    std::uint8_t m_Command = 0;
    std::vector<std::uint8_t> m_Payload;
    std::string m_Text;
    std::vector<std::uint8_t> m_Window;  // last bytes, to spot the resynchronisation frame
    std::vector<SSimRequest> m_Requests;
    std::size_t m_Noise = 0;
    std::uint64_t m_Seen = 0;  // requests seen, for the gone-after fault
    std::function<void(const SSimRequest&)> m_Observer;
    std::uint64_t m_Random = 0x2545F4914F6CDD1Dull;
};

}  // namespace Sim
