#pragma once
/// What the tests need that differs between POSIX systems and Windows.

#include <cstdlib>

#include <unistd.h>

namespace quillon::test {

/// Whether permission bits keep this process from reading or writing: not on Windows (they map
/// to a read-only flag at most), and not for root.
inline bool PermissionBitsApply() {
#ifdef _WIN32
    return false;
#else
    return ::geteuid() != 0;
#endif
}

inline void SetEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

inline void UnsetEnvironment(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

}  // namespace quillon::test
