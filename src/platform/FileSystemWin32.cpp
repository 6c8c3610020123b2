// Windows side of the platform functions; FileSystem.cpp is the POSIX side. Paths arrive as UTF-8
// and go to the wide (UTF-16) functions of the system. Failures set errno as the POSIX side does
// (the callers test for EEXIST) and keep the system's own error for LastErrorText().
#ifdef _WIN32
#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

namespace quillon::fs {

namespace {

// The system error of the last failing call, and the errno it was turned into: when errno has
// changed since (a test's injected fault), the system's text no longer applies.
thread_local DWORD t_lastError = 0;
thread_local int t_lastErrno = 0;

int ErrnoOf(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return ENOENT;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            return EEXIST;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
            return EACCES;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return ENOSPC;
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return ENOMEM;
        case ERROR_DIRECTORY:
            return ENOTDIR;
        default:
            return EIO;
    }
}

/// Records the calling thread's system error; always false, for `return Failed();`.
bool Failed() {
    t_lastError = ::GetLastError();
    t_lastErrno = ErrnoOf(t_lastError);
    errno = t_lastErrno;
    return false;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(std::max(n, 0)), L'\0');
    if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

std::string Utf8(const wchar_t* text, int length = -1) {
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(size_t(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
    if (length < 0) out.resize(size_t(n - 1));  // the terminator was counted
    return out;
}

HANDLE AsHandle(Handle h) {
    return reinterpret_cast<HANDLE>(h);
}

Handle FromHandle(HANDLE h) {
    return h == INVALID_HANDLE_VALUE ? kNoHandle : reinterpret_cast<Handle>(h);
}

bool IsSeparator(char c) {
    return c == '/' || c == '\\';
}

// Nanoseconds since 1970 of a file time (100 ns steps since 1601).
int64_t UnixNanoseconds(FILETIME t) {
    const int64_t ticks = int64_t((uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

int64_t NowNanoseconds() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return UnixNanoseconds(now);
}

const int64_t g_processStart = NowNanoseconds();

// Every kind of sharing: a file this program reads never keeps anyone from writing, renaming or
// removing it, as on POSIX systems.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

PathKind KindOfHandle(HANDLE h) {
    switch (::GetFileType(h)) {
        case FILE_TYPE_DISK: {
            BY_HANDLE_FILE_INFORMATION info{};
            if (!::GetFileInformationByHandle(h, &info)) return PathKind::Other;
            return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder
                                                                      : PathKind::Regular;
        }
        case FILE_TYPE_CHAR:
            return PathKind::Device;
        case FILE_TYPE_PIPE:
            return PathKind::Fifo;
        default:
            return PathKind::Other;
    }
}

}  // namespace

PathKind KindOf(const std::string& path) {
    if (path.empty()) return PathKind::Missing;
    // Opened for no access at all: asks what is there without reading, and follows links. A
    // folder needs the backup-semantics flag to be opened.
    HANDLE h = ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return PathKind::Missing;
    PathKind kind = KindOfHandle(h);
    ::CloseHandle(h);
    return kind;
}

bool IsReadOnlyFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

unsigned LinkCount(const std::string&) {
    return 1;
}

void CopyOwnerAndAttributes(const std::string&, Handle) {}

bool OverwriteInPlace(const std::string&, const std::string&) {
    errno = ENOSYS;
    return false;
}

std::string ResolveWriteTarget(const std::string& path, Cause*) {
    const std::wstring wide = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return path;
    // A symbolic link to an existing file: the final path of what it names. A dangling link is
    // written over as it stands.
    HANDLE h = ::CreateFileW(wide.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return path;
    wchar_t buffer[32768];
    DWORD n = ::GetFinalPathNameByHandleW(h, buffer, 32768, FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    if (n == 0 || n >= 32768) return path;
    std::wstring final(buffer, n);
    if (final.rfind(L"\\\\?\\UNC\\", 0) == 0)
        final = L"\\\\" + final.substr(8);
    else if (final.rfind(L"\\\\?\\", 0) == 0)
        final = final.substr(4);
    return Utf8(final.c_str(), int(final.size()));
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos) {
        // "C:name" lies in the current folder of drive C.
        return path.size() >= 2 && path[1] == ':' ? path.substr(0, 2) : ".";
    }
    // The root of a drive or of the current drive keeps its separator.
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    size_t end = slash;
    while (end > 0 && IsSeparator(path[end - 1]))
        --end;
    return path.substr(0, end == 0 ? 1 : end);
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    if (slash == std::string::npos && path.size() >= 2 && path[1] == ':') return path.substr(2);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::FILE* OpenStream(const std::string& path, const char* mode) {
    return ::_wfopen(Wide(path).c_str(), Wide(mode).c_str());
}

bool SameFile(const std::string& a, const std::string& b) {
    auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
        HANDLE h = ::CreateFileW(Wide(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        bool ok = ::GetFileInformationByHandle(h, &info) != 0;
        ::CloseHandle(h);
        return ok;
    };
    BY_HANDLE_FILE_INFORMATION ia{}, ib{};
    return identity(a, ia) && identity(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

FileHandle OpenRegularForReading(const std::string& path, Result* failure) {
    auto notRegular = [&](PathKind kind) {
        if (failure)
            *failure = Result::Failure(ErrorKind::CannotOpen, Cause::NotRegular, path)
                           .Figures(uint64_t(kind));
        return FileHandle();
    };
    PathKind kind = KindOf(path);
    if (kind != PathKind::Regular && kind != PathKind::Missing) return notRegular(kind);
    HANDLE h = ::CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Failed();
        if (failure)
            *failure =
                Result::Failure(ErrorKind::CannotOpen, Cause::OpenFailed, path, LastErrorText());
        return FileHandle();
    }
    FileHandle file(FromHandle(h));
    kind = KindOfHandle(h);
    if (kind != PathKind::Regular) return notRegular(kind);
    return file;
}

bool ReadFully(Handle h, void* data, size_t size, size_t& got) {
    got = 0;
    auto* p = static_cast<uint8_t*>(data);
    while (got < size) {
        DWORD n = 0;
        const DWORD ask = DWORD(std::min<size_t>(size - got, size_t(1) << 30));
        if (!::ReadFile(AsHandle(h), p + got, ask, &n, nullptr)) return Failed();
        if (n == 0) break;
        got += n;
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
                                       LastErrorText());
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
    auto* p = static_cast<uint8_t*>(data);
    while (got < size) {
        OVERLAPPED at{};
        const uint64_t position = offset + got;
        at.Offset = DWORD(position & 0xFFFFFFFFu);
        at.OffsetHigh = DWORD(position >> 32);
        DWORD n = 0;
        const DWORD ask = DWORD(std::min<size_t>(size - got, size_t(1) << 30));
        if (!::ReadFile(AsHandle(h), p + got, ask, &n, &at)) {
            if (::GetLastError() == ERROR_HANDLE_EOF) break;
            return Failed();
        }
        if (n == 0) break;
        got += n;
    }
    return true;
}

// Windows reads ahead of sequential reads on its own.
bool AdviseWillRead(Handle, uint64_t, uint64_t) {
    return false;
}

std::optional<FileIdentity> IdentityOf(Handle h) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(AsHandle(h), &info)) return std::nullopt;
    FileIdentity id;
    id.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.modifiedNs = int64_t((uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) |
                            info.ftLastWriteTime.dwLowDateTime) *
                    100;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    // The change time moves with every write and cannot be put back with the modification
    // time, so a file rewritten in place with its old time is told apart.
    FILE_BASIC_INFO basic{};
    if (::GetFileInformationByHandleEx(AsHandle(h), FileBasicInfo, &basic, sizeof basic))
        id.changedNs = int64_t(basic.ChangeTime.QuadPart) * 100;
    return id;
}

// Windows reads logs through ReadAt only: a mapped file could not be replaced while open.
const uint8_t* MapReadOnly(Handle, uint64_t) {
    return nullptr;
}

void Unmap(const uint8_t*, uint64_t) {}

bool RunGuardedAgainstVanishedMapping(void (*body)(void*), void* context) {
    body(context);
    return true;
}

std::optional<uint64_t> SizeOf(Handle h) {
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(AsHandle(h), &size)) return std::nullopt;
    return uint64_t(size.QuadPart);
}

bool Rewind(Handle h) {
    LARGE_INTEGER zero{};
    return ::SetFilePointerEx(AsHandle(h), zero, nullptr, FILE_BEGIN) != 0 || Failed();
}

void Close(Handle h) {
    if (h != kNoHandle) ::CloseHandle(AsHandle(h));
}

FileHandle CreateExclusive(const std::string& name, unsigned mode) {
    (void)mode;  // Windows files carry no permission bits
    // Others may read the file being written, and it may be removed while open (the clean-up on
    // Ctrl+C does that).
    HANDLE h = ::CreateFileW(Wide(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) Failed();
    return FileHandle(FromHandle(h));
}

bool WriteAll(Handle h, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        DWORD n = 0;
        const DWORD ask = DWORD(std::min<size_t>(size, size_t(1) << 30));
        if (!::WriteFile(AsHandle(h), p, ask, &n, nullptr)) return Failed();
        if (n == 0) {
            ::SetLastError(ERROR_DISK_FULL);
            return Failed();
        }
        p += n;
        size -= n;
    }
    return true;
}

bool SyncFile(Handle h) {
    return ::FlushFileBuffers(AsHandle(h)) != 0 || Failed();
}

bool SyncFolder(const std::string& folder) {
    // Windows cannot flush a folder; the rename is made durable by MOVEFILE_WRITE_THROUGH.
    (void)folder;
    return true;
}

std::optional<unsigned> ModeOf(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesW(Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return (attributes & FILE_ATTRIBUTE_READONLY) ? 0444u : 0666u;
}

bool SetMode(Handle h, unsigned mode) {
    // The read-only attribute is not copied: a read-only file is never replaced (the rename over
    // it is refused), so a temporary always stays writable.
    (void)h;
    (void)mode;
    return true;
}

unsigned DefaultNewFileMode() {
    return 0666u;
}

bool RenameReplace(const std::string& from, const std::string& to) {
    const std::wstring wfrom = Wide(from), wto = Wide(to);
    // A virus scanner or an indexer may hold the old file for a moment after it was written; a
    // few short retries ride that out. A program holding it open for good still fails the save.
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(wfrom.c_str(), wto.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        const DWORD error = ::GetLastError();
        if (attempt == 4 || (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
                             error != ERROR_LOCK_VIOLATION))
            return Failed();
        ::Sleep(20u << attempt);
    }
}

bool RenameNoReplace(const std::string& from, const std::string& to, bool& exists) {
    exists = false;
    if (::MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    Failed();
    exists = errno == EEXIST;
    return false;
}

bool CopyToNewFile(const std::string& from, const std::string& to, bool& exists) {
    exists = false;
    if (::CopyFileW(Wide(from).c_str(), Wide(to).c_str(), TRUE)) return true;
    Failed();
    exists = errno == EEXIST;
    return false;
}

std::string UserCacheFolder() {
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && *local ? Utf8(local) + "\\Quillon\\Cache" : std::string();
}

std::string SummaryCacheFolder() {
    if (const wchar_t* own = _wgetenv(L"QUILLON_SUMMARY_CACHE"))
        return std::wstring_view(own) == L"off" ? std::string() : Utf8(own);
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    return local && *local ? Utf8(local) + "\\quillon\\summaries" : std::string();
}

bool RemoveFile(const std::string& path) {
    return ::DeleteFileW(Wide(path).c_str()) != 0 || Failed();
}

std::string LastErrorText() {
    // The common errors read as on POSIX systems, so that messages match on both; the others
    // keep the system's own words.
    if (t_lastError == 0 || errno != t_lastErrno) return std::strerror(errno);
    if (t_lastError == ERROR_SHARING_VIOLATION || t_lastError == ERROR_LOCK_VIOLATION)
        return "Permission denied (the file is open in another program)";
    if (t_lastErrno != EIO) return std::strerror(errno);
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, t_lastError, MAKELANGID(LANG_ENGLISH, SUBLANG_DEFAULT),
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out = n > 0 ? Utf8(text, int(n)) : std::string();
    if (text) ::LocalFree(text);
    while (!out.empty() &&
           (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out.empty() ? std::strerror(errno) : out;
}

long ProcessId() {
    return long(::GetCurrentProcessId());
}

int64_t ProcessStartTime() {
    return g_processStart;
}

bool ProcessExists(long pid) {
    if (pid <= 0) return false;
    HANDLE h = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!h) return ::GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    const bool running = ::GetExitCodeProcess(h, &code) && code == STILL_ACTIVE;
    ::CloseHandle(h);
    return running;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    HANDLE find = ::FindFirstFileW(Wide(folder + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        names.push_back(Utf8(entry.cFileName));
    } while (::FindNextFileW(find, &entry));
    ::FindClose(find);
    return names;
}

std::optional<int64_t> ModifiedTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    return UnixNanoseconds(data.ftLastWriteTime);
}

std::optional<uint64_t> FreeDiskSpace(const std::string& folder) {
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(Wide(folder).c_str(), &available, nullptr, nullptr))
        return std::nullopt;
    return uint64_t(available.QuadPart);
}

uint64_t AvailableMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return UINT64_MAX;
    return std::min<uint64_t>(status.ullAvailPhys, status.ullAvailVirtual);
}

uint64_t TotalMemory() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!::GlobalMemoryStatusEx(&status)) return UINT64_MAX;
    return std::min<uint64_t>(status.ullTotalPhys, status.ullTotalVirtual);
}

void SetReadFault(int) {}

void PrefaultPages(void* data, size_t bytes) {
    (void)data;
    (void)bytes;
}

namespace {

void (*g_signalHandler)() = nullptr;

// Runs on a thread of its own when Ctrl+C or Ctrl+Break is pressed or the console is closed;
// answering FALSE lets the default handling end the process afterwards.
BOOL WINAPI HandleConsoleEvent(DWORD event) {
    if (g_signalHandler && event <= CTRL_CLOSE_EVENT) g_signalHandler();
    return FALSE;
}

}  // namespace

void OnTerminationSignal(void (*handler)()) {
    if (g_signalHandler) return;
    g_signalHandler = handler;
    ::SetConsoleCtrlHandler(HandleConsoleEvent, TRUE);
}

void RemoveFileInSignal(const char* path) {
    // The console handler is an ordinary thread, so converting the name is safe here.
    static wchar_t wide[32768];
    if (::MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, 32768) > 0) ::DeleteFileW(wide);
}

std::vector<std::string> Arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide || count != argc) {
        if (wide) ::LocalFree(wide);
        return std::vector<std::string>(argv, argv + argc);
    }
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
        out.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return out;
}

void PrepareStandardStreams() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    ::SetConsoleOutputCP(CP_UTF8);
}

bool IsTerminal(std::FILE* stream) {
    return ::_isatty(::_fileno(stream)) != 0;
}

std::string DocumentsFolder() {
    wchar_t buffer[MAX_PATH];
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr,
                                  SHGFP_TYPE_CURRENT, buffer)))
        return ".";
    return Utf8(buffer);
}

}  // namespace quillon::fs

namespace quillon {

void FileHandle::CloseRaw(Raw h) {
    fs::Close(h);
}

}  // namespace quillon
#endif
