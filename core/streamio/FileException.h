#pragma once
// The one exception type of the stream and archive layer.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace StreamIO {

class CFileException : public std::runtime_error {
  public:
    // code: a stream code (StreamErrors.h). systemError: the errno behind it, 0 when
    // the code comes from our own checks; it only improves the text of what().
    CFileException(std::int32_t code, std::string streamName, int systemError = 0);

    std::int32_t Code() const noexcept { return m_Code; }
    const std::string& StreamName() const noexcept { return m_StreamName; }
    int SystemError() const noexcept { return m_SystemError; }

  private:
    std::int32_t m_Code;
    std::string m_StreamName;
    int m_SystemError;
};

}  // namespace StreamIO
