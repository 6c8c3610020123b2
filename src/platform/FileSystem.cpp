// POSIX side of the platform functions; FileSystemWin32.cpp is the Windows side.
#ifndef _WIN32
#include "platform/FileSystem.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csetjmp>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include <dirent.h>
#include <sys/mman.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace quillon::fs {

namespace {

PathKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) return PathKind::Regular;
    if (S_ISDIR(mode)) return PathKind::Folder;
    if (S_ISFIFO(mode)) return PathKind::Fifo;
    if (S_ISCHR(mode) || S_ISBLK(mode)) return PathKind::Device;
    if (S_ISSOCK(mode)) return PathKind::Socket;
    return PathKind::Other;
}

int64_t StartTimeNs() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Taken when the program starts, before any file is written.
const int64_t g_processStart = StartTimeNs();

}  // namespace

PathKind KindOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return PathKind::Missing;
    return KindOfMode(st.st_mode);
}

std::string ResolveWriteTarget(const std::string& path, Cause* refused) {
    std::string current = path;
    // A chain of links is followed link by link, so that a link to a file that does not exist
    // yet still names where the file is to be made; loops end after a bounded number of steps.
    for (int step = 0; step < 40; ++step) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        // The protected-symlinks rule: in a sticky, world-writable folder (/tmp) a link is only
        // followed when it is ours or the folder owner's, so a planted link cannot redirect a
        // write into another of the user's files.
        struct stat folder {};
        if (::stat(FolderOf(current).c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) &&
            (folder.st_mode & S_IWOTH) && st.st_uid != ::geteuid() && st.st_uid != folder.st_uid) {
            if (refused) *refused = Cause::UnsafeSymlink;
            return current;
        }
        std::vector<char> buffer(size_t(st.st_size > 0 ? st.st_size : PATH_MAX) + 1);
        ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size() - 1);
        if (n < 0) return current;
        std::string link(buffer.data(), size_t(n));
        if (!link.empty() && link[0] == '/')
            current = link;
        else
            current =
                (current.find('/') == std::string::npos ? std::string() : FolderOf(current) + "/")
                    .append(link);
    }
    struct stat st {};
    if (refused && ::lstat(current.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        *refused = Cause::SymlinkLoop;
    return current;
}

bool IsReadOnlyFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    // No write bit at all is a file its owner made read-only, which even root leaves alone.
    if ((st.st_mode & 0222) == 0) return true;
    return ::access(path.c_str(), W_OK) != 0 && (errno == EACCES || errno == EROFS);
}

unsigned LinkCount(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && st.st_nlink > 0 ? unsigned(st.st_nlink) : 1u;
}

void CopyOwnerAndAttributes(const std::string& from, Handle to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) return;
    // Another user's ownership needs privileges; the group alone may still be ours to give.
    if ((st.st_uid != ::geteuid() || st.st_gid != ::getegid()) &&
        ::fchown(int(to), st.st_uid, st.st_gid) != 0)
        (void)!::fchown(int(to), uid_t(-1), st.st_gid);
    const ssize_t size = ::listxattr(from.c_str(), nullptr, 0);
    if (size <= 0) return;
    std::vector<char> names(static_cast<size_t>(size));
    const ssize_t got = ::listxattr(from.c_str(), names.data(), names.size());
    for (ssize_t at = 0; got > 0 && at < got; at += ssize_t(std::strlen(names.data() + at)) + 1) {
        const char* name = names.data() + at;
        const ssize_t length = ::getxattr(from.c_str(), name, nullptr, 0);
        if (length < 0) continue;
        std::vector<char> value(static_cast<size_t>(length));
        if (::getxattr(from.c_str(), name, value.data(), value.size()) == length)
            (void)::fsetxattr(int(to), name, value.data(), value.size(), 0);
    }
}

bool OverwriteInPlace(const std::string& from, const std::string& to) {
    FileHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    FileHandle out(::open(to.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW));
    struct stat st {};
    if (!in || !out || ::fstat(int(in.Get()), &st) != 0) return false;
    // Reserving the space first keeps a full disk from stopping the copy half way.
    if (st.st_size > 0) {
        const int reserved = ::posix_fallocate(int(out.Get()), 0, st.st_size);
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
            errno = reserved;
            return false;
        }
    }
    std::vector<char> buffer(size_t(1) << 20);
    for (;;) {
        size_t got = 0;
        if (!ReadFully(in.Get(), buffer.data(), buffer.size(), got)) return false;
        if (got == 0) break;
        if (!WriteAll(out.Get(), buffer.data(), got)) return false;
    }
    return ::ftruncate(int(out.Get()), st.st_size) == 0 && ::fsync(int(out.Get())) == 0;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::FILE* OpenStream(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

FileHandle OpenRegularForReading(const std::string& path, Result* failure) {
    // The kind is asked first so that a device is never opened at all; O_NONBLOCK keeps a FIFO
    // put in its place meanwhile from blocking the open, and fstat then checks what was opened.
    auto notRegular = [&](PathKind kind) {
        if (failure)
            *failure = Result::Failure(ErrorKind::CannotOpen, Cause::NotRegular, path)
                           .Figures(uint64_t(kind));
        return FileHandle();
    };
    PathKind kind = KindOf(path);
    if (kind != PathKind::Regular && kind != PathKind::Missing) return notRegular(kind);
    FileHandle file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) {
        if (failure)
            *failure = Result::Failure(ErrorKind::CannotOpen, Cause::OpenFailed, path,
                                       std::strerror(errno));
        return file;
    }
    struct stat st {};
    if (::fstat(int(file.Get()), &st) != 0 || !S_ISREG(st.st_mode))
        return notRegular(KindOfMode(st.st_mode));
    int flags = ::fcntl(int(file.Get()), F_GETFL);
    if (flags >= 0) ::fcntl(int(file.Get()), F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
    ::posix_fadvise(int(file.Get()), 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
    return file;
}

namespace {

std::atomic<int> g_readFault{0};

// A read failing as the test seam asks; errno set as a failed read() sets it.
bool ReadFaulted() {
    const int error = g_readFault.load(std::memory_order_relaxed);
    if (error == 0) return false;
    errno = error;
    return true;
}

}  // namespace

void SetReadFault(int error) {
    g_readFault.store(error, std::memory_order_relaxed);
}

bool ReadFully(Handle h, void* data, size_t size, size_t& got) {
    got = 0;
    if (ReadFaulted()) return false;
    auto* p = static_cast<uint8_t*>(data);
    while (got < size) {
        ssize_t r = ::read(int(h), p + got, size - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) break;
        got += size_t(r);
    }
    return true;
}

Result ReadRest(Handle h, const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    try {
        if (auto size = SizeOf(h)) out.reserve(size_t(*size));
        uint8_t buffer[65536];
        for (;;) {
            size_t got = 0;
            if (!ReadFully(h, buffer, sizeof buffer, got)) {
                out = {};
                return Result::Failure(ErrorKind::CannotOpen, Cause::ReadFailed, path,
                                       std::strerror(errno));
            }
            out.insert(out.end(), buffer, buffer + got);
            if (got < sizeof buffer) return {};
        }
    } catch (const std::bad_alloc&) {
        out = {};
        return Result::Failure(ErrorKind::OutOfMemory, Cause::FileTooLarge, path);
    }
}

Result ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    Result failure;
    FileHandle file = OpenRegularForReading(path, &failure);
    if (!file) return failure;
    return ReadRest(file.Get(), path, out);
}

bool ReadAt(Handle h, uint64_t offset, void* data, size_t size, size_t& got) {
    got = 0;
    if (ReadFaulted()) return false;
    auto* p = static_cast<uint8_t*>(data);
    while (got < size) {
        const ssize_t n = ::pread(int(h), p + got, size - got, off_t(offset + got));
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        got += size_t(n);
    }
    return true;
}

bool AdviseWillRead(Handle h, uint64_t offset, uint64_t length) {
    return ::posix_fadvise(int(h), off_t(offset), off_t(length), POSIX_FADV_WILLNEED) == 0;
}

std::optional<FileIdentity> IdentityOf(Handle h) {
    struct stat st {};
    if (::fstat(int(h), &st) != 0) return std::nullopt;
    FileIdentity id;
    id.size = uint64_t(st.st_size);
    id.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
    id.changedNs = int64_t(st.st_ctim.tv_sec) * 1000000000 + int64_t(st.st_ctim.tv_nsec);
    id.device = uint64_t(st.st_dev);
    id.inode = uint64_t(st.st_ino);
    return id;
}

const uint8_t* MapReadOnly(Handle h, uint64_t size) {
    if (size == 0 || size > uint64_t(SIZE_MAX)) return nullptr;
    void* p = ::mmap(nullptr, size_t(size), PROT_READ, MAP_PRIVATE, int(h), 0);
    if (p == MAP_FAILED) return nullptr;
#ifdef MADV_SEQUENTIAL
    ::madvise(p, size_t(size), MADV_SEQUENTIAL);
#endif
    return static_cast<const uint8_t*>(p);
}

void Unmap(const uint8_t* data, uint64_t size) {
    if (data) ::munmap(const_cast<uint8_t*>(data), size_t(size));
}

namespace {

// The jump target of the innermost guarded call of this thread; SIGBUS outside any guarded call
// keeps its default action.
thread_local sigjmp_buf* t_guard = nullptr;

void OnBusError(int signal) {
    if (sigjmp_buf* guard = t_guard) siglongjmp(*guard, 1);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

bool RunGuardedAgainstVanishedMapping(void (*body)(void*), void* context) {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = OnBusError;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_NODEFER;
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    (void)installed;
    sigjmp_buf here;
    sigjmp_buf* outer = t_guard;
    if (sigsetjmp(here, 1) != 0) {
        t_guard = outer;
        return false;
    }
    t_guard = &here;
    body(context);
    t_guard = outer;
    return true;
}

std::optional<uint64_t> SizeOf(Handle h) {
    struct stat st {};
    if (::fstat(int(h), &st) != 0) return std::nullopt;
    return uint64_t(st.st_size);
}

bool Rewind(Handle h) {
    return ::lseek(int(h), 0, SEEK_SET) == 0;
}

void Close(Handle h) {
    if (h != kNoHandle) ::close(int(h));
}

FileHandle CreateExclusive(const std::string& name, unsigned mode) {
    return FileHandle(
        ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
}

bool WriteAll(Handle h, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        ssize_t n = ::write(int(h), p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool SyncFile(Handle h) {
    return ::fsync(int(h)) == 0;
}

bool SyncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Some file systems cannot sync a folder (EINVAL); the rename is as durable as they allow.
    bool ok = ::fsync(fd) == 0 || errno == EINVAL;
    int err = errno;
    ::close(fd);
    errno = err;
    return ok;
}

std::optional<unsigned> ModeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return unsigned(st.st_mode & 07777);
}

bool SetMode(Handle h, unsigned mode) {
    return ::fchmod(int(h), mode_t(mode)) == 0;
}

unsigned DefaultNewFileMode() {
    // The umask can only be read by setting it; the program has one thread while it writes.
    mode_t mask = ::umask(022);
    ::umask(mask);
    return 0666u & ~unsigned(mask);
}

bool RenameReplace(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RenameNoReplace(const std::string& from, const std::string& to, bool& exists) {
    exists = false;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        exists = errno == EEXIST;
        return false;
    }
    // Without no-replace renames: a hard link is made only when the name is free, atomically;
    // the temporary name goes after.
    if (::link(from.c_str(), to.c_str()) != 0) {
        exists = errno == EEXIST;
        return false;
    }
    ::unlink(from.c_str());
    return true;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool CopyToNewFile(const std::string& from, const std::string& to, bool& exists) {
    exists = false;
    FileHandle in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!in || ::fstat(int(in.Get()), &st) != 0) return false;
    FileHandle out = CreateExclusive(to, st.st_mode & 07777);
    if (!out) {
        exists = errno == EEXIST;
        return false;
    }
    std::vector<char> buffer(size_t(1) << 20);
    bool ok = true;
    for (size_t got = buffer.size(); ok && got == buffer.size();)
        ok = ReadFully(in.Get(), buffer.data(), buffer.size(), got) &&
             WriteAll(out.Get(), buffer.data(), got);
    ok = ok && ::fchmod(int(out.Get()), st.st_mode & 07777) == 0 && ::fsync(int(out.Get())) == 0;
    if (!ok) {
        const int error = errno;
        ::unlink(to.c_str());
        errno = error;
    }
    return ok;
}

std::string UserCacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return std::string(xdg) + "/quillon";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/quillon";
    return {};
}

std::string SummaryCacheFolder() {
    if (const char* own = std::getenv("QUILLON_SUMMARY_CACHE"))
        return *own == '/' ? std::string(own) : std::string();
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
        return std::string(xdg) + "/quillon/summaries";
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::string(home) + "/.cache/quillon/summaries";
    return {};
}

std::string LastErrorText() {
    return std::strerror(errno);
}

long ProcessId() {
    return long(::getpid());
}

int64_t ProcessStartTime() {
    return g_processStart;
}

bool ProcessExists(long pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    while (dirent* entry = ::readdir(dir))
        names.emplace_back(entry->d_name);
    ::closedir(dir);
    return names;
}

std::optional<int64_t> ModifiedTime(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

std::optional<uint64_t> FreeDiskSpace(const std::string& folder) {
    struct statvfs st {};
    if (::statvfs(folder.c_str(), &st) != 0) return std::nullopt;
    return uint64_t(st.f_bavail) * uint64_t(st.f_frsize);
}

uint64_t AvailableMemory() {
    // MemAvailable counts what can be had without swapping; physical memory is the fallback. An
    // address-space limit of the process counts too.
    uint64_t limit = UINT64_MAX;
    struct rlimit rl {};
    if (::getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) limit = rl.rlim_cur;
    if (std::FILE* f = std::fopen("/proc/meminfo", "r")) {
        char line[256];
        unsigned long long kb = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1;
        std::fclose(f);
        if (found) return std::min(limit, uint64_t(kb) * 1024);
    }
    long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
    return std::min(limit, pages > 0 && size > 0 ? uint64_t(pages) * uint64_t(size) : UINT64_MAX);
}

uint64_t TotalMemory() {
    uint64_t limit = UINT64_MAX;
    struct rlimit rl {};
    if (::getrlimit(RLIMIT_AS, &rl) == 0 && rl.rlim_cur != RLIM_INFINITY) limit = rl.rlim_cur;
    long pages = ::sysconf(_SC_PHYS_PAGES), size = ::sysconf(_SC_PAGESIZE);
    return std::min(limit, pages > 0 && size > 0 ? uint64_t(pages) * uint64_t(size) : UINT64_MAX);
}

void PrefaultPages(void* data, size_t bytes) {
#if defined(MADV_POPULATE_WRITE)
    const uintptr_t page = uintptr_t(::sysconf(_SC_PAGESIZE));
    uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + page - 1) & ~(page - 1);
    uintptr_t end = (reinterpret_cast<uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin + 16 * page)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
#else
    (void)data;
    (void)bytes;
#endif
}

namespace {

void (*g_signalHandler)() = nullptr;
struct sigaction g_previous[2];
constexpr int kSignals[2] = {SIGINT, SIGTERM};

void HandleSignal(int signal) {
    if (g_signalHandler) g_signalHandler();
    for (int i = 0; i < 2; ++i) {
        if (kSignals[i] != signal) continue;
        // A handler that was there before ours runs next; otherwise the signal ends the
        // process as it would have without us.
        if (g_previous[i].sa_handler != SIG_DFL && g_previous[i].sa_handler != SIG_IGN &&
            !(g_previous[i].sa_flags & SA_SIGINFO)) {
            g_previous[i].sa_handler(signal);
            return;
        }
        ::sigaction(signal, &g_previous[i], nullptr);
        ::raise(signal);
    }
}

}  // namespace

void OnTerminationSignal(void (*handler)()) {
    if (g_signalHandler) return;
    g_signalHandler = handler;
    for (int i = 0; i < 2; ++i) {
        struct sigaction action {};
        action.sa_handler = HandleSignal;
        sigemptyset(&action.sa_mask);
        struct sigaction previous {};
        ::sigaction(kSignals[i], nullptr, &previous);
        // A signal the process was told to ignore (nohup, a background job) stays ignored.
        if (previous.sa_handler == SIG_IGN) continue;
        g_previous[i] = previous;
        ::sigaction(kSignals[i], &action, nullptr);
    }
}

void RemoveFileInSignal(const char* path) {
    ::unlink(path);
}

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrepareStandardStreams() {}

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) == 1;
}

namespace {

// XDG_DOCUMENTS_DIR of the user-dirs file ("$HOME/Dokumente" or an absolute path); empty when
// the file does not name it.
std::string DocumentsFromUserDirs(const std::string& home) {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const std::string file =
        (config && *config == '/' ? std::string(config) : home + "/.config") + "/user-dirs.dirs";
    std::FILE* f = std::fopen(file.c_str(), "r");
    if (!f) return {};
    std::string found;
    char line[4096];
    while (std::fgets(line, sizeof line, f)) {
        std::string text(line);
        const std::string key = "XDG_DOCUMENTS_DIR=\"";
        if (text.compare(0, key.size(), key) != 0) continue;
        const size_t end = text.find('"', key.size());
        if (end == std::string::npos) continue;
        std::string value = text.substr(key.size(), end - key.size());
        if (value.compare(0, 5, "$HOME") == 0)
            value = std::string(home).append(value, 5);
        else if (value.empty() || value[0] != '/')
            continue;
        // A documents folder that is the home folder itself means "not set".
        if (value != home && value != home + "/") found = value;
    }
    std::fclose(f);
    return found;
}

}  // namespace

std::string DocumentsFolder() {
    if (const char* xdg = std::getenv("XDG_DOCUMENTS_DIR"); xdg && *xdg) return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) return ".";
    const std::string fromFile = DocumentsFromUserDirs(home);
    return fromFile.empty() ? std::string(home) + "/Documents" : fromFile;
}

}  // namespace quillon::fs

namespace quillon {

void FileHandle::CloseRaw(Raw h) {
    fs::Close(h);
}

}  // namespace quillon
#endif
