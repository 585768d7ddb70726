#include "streamio/FileException.h"

#include <system_error>
#include <utility>

#include "streamio/StreamErrors.h"

namespace StreamIO {

namespace {

std::string Compose(std::int32_t code, const std::string& name, int systemError) {
    // A system call's own words say more than our table ("Permission denied" rather
    // than "access denied"); error_code::message is the thread-safe strerror.
    std::string cause = systemError != 0 ? std::error_code(systemError, std::generic_category()).message()
                                         : DescribeError(code);
    std::string text = name.empty() ? std::string("stream") : "\"" + name + "\"";
    return text + ": " + cause + " (error " + std::to_string(code) + ")";
}

}  // namespace

CFileException::CFileException(std::int32_t code, std::string streamName, int systemError)
    : std::runtime_error(Compose(code, streamName, systemError)),
      m_Code(code),
      m_StreamName(std::move(streamName)),
      m_SystemError(systemError) {}

}  // namespace StreamIO
