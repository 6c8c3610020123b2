#pragma once
/// An owned open file: a POSIX descriptor or a Windows HANDLE, closed once when its owner goes.
/// Movable, not copyable. (Declared outside quillon::fs, so that headers can hold one without
/// bringing in a namespace that users alias to std::filesystem.)

#include <cstdint>
#include <utility>

namespace quillon {

/// What tells whether an open file is still the one that was opened, unchanged: its size, its
/// modification and change times to the nanosecond and its identity on the disk. (The change
/// time also moves when a writer sets the modification time back.) fs::IdentityOf gives it.
struct FileIdentity {
    uint64_t size = 0;
    int64_t modifiedNs = 0;
    int64_t changedNs = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

class FileHandle {
public:
    /// A handle as the system calls take it; kNone is none (INVALID_HANDLE_VALUE on Windows).
    using Raw = intptr_t;
    static constexpr Raw kNone = -1;

    FileHandle() = default;
    explicit FileHandle(Raw h) : m_handle(h) {}
    ~FileHandle() { Reset(); }
    FileHandle(FileHandle&& other) noexcept : m_handle(other.Release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    Raw Get() const { return m_handle; }
    bool IsOpen() const { return m_handle != kNone; }
    explicit operator bool() const { return IsOpen(); }
    /// Closes the file held (if any) and takes `h` instead.
    void Reset(Raw h = kNone) {
        if (m_handle != kNone) CloseRaw(m_handle);
        m_handle = h;
    }
    /// Gives the handle up without closing it.
    Raw Release() { return std::exchange(m_handle, kNone); }

private:
    static void CloseRaw(Raw h);  // with the system's other file calls

    Raw m_handle = kNone;
};

}  // namespace quillon
