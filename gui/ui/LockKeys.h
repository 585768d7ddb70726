#pragma once
// The state of the Caps Lock and Num Lock keys, for the status bar's "CAP" and
// "NUM" indicators. Nothing where the window system does not tell.
#include <optional>

struct SLockKeys {
    bool caps = false;
    bool num = false;
};

std::optional<SLockKeys> QueryLockKeys();
