#pragma once
// Raised for a series (or reading) index outside its container. It is a
// programming error of the caller; the operation that raises it changes nothing.
#include <stdexcept>
#include <string>

class CInvalidIndexError : public std::out_of_range {
  public:
    CInvalidIndexError(const char* what, long long index, long long count)
        : std::out_of_range(std::string(what) + ": index " + std::to_string(index) + " outside 0.." +
                            std::to_string(count)),
          m_index(index) {}

    long long Index() const { return m_index; }

  private:
    long long m_index;
};
