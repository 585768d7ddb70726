#pragma once
// Files the process writes may not grow beyond `bytes` while this lives, as on
// a disk that fills up: a write beyond fails with EFBIG instead of raising
// SIGXFSZ and ending the test.
#include <sys/resource.h>

#include <csignal>

class CSmallFileLimit {
  public:
    explicit CSmallFileLimit(rlim_t bytes) {
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit small = m_old;
        small.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &small);
    }
    ~CSmallFileLimit() {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    CSmallFileLimit(const CSmallFileLimit&) = delete;
    CSmallFileLimit& operator=(const CSmallFileLimit&) = delete;

  private:
    rlimit m_old{};
    void (*m_oldHandler)(int) = nullptr;
};
