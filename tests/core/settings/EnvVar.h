#pragma once
// Sets an environment variable for the life of the object and restores it after.
#include <cstdlib>
#include <optional>
#include <string>

class CEnvVar {
  public:
    CEnvVar(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~CEnvVar() {
        if (m_old)
            ::setenv(m_name, m_old->c_str(), 1);
        else
            ::unsetenv(m_name);
    }
    CEnvVar(const CEnvVar&) = delete;
    CEnvVar& operator=(const CEnvVar&) = delete;

  private:
    const char* m_name;
    std::optional<std::string> m_old;
};
