#include "datalog/AtomicFile.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <unistd.h>

namespace quillon {

namespace {
std::atomic<unsigned> g_counter{0};
}

AtomicFile::AtomicFile(std::string targetPath) : m_target(std::move(targetPath)) {}

AtomicFile::~AtomicFile() {
    if (m_file) std::fclose(m_file);
    if (!m_temp.empty()) std::remove(m_temp.c_str());
}

bool AtomicFile::Open() {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_directory(m_target, ec)) {
        m_error = "'" + m_target + "' is a folder";
        return false;
    }
    // The temporary lives beside the target so that the final rename stays on one file system.
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        std::string temp =
            m_target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(g_counter++);
        m_file = std::fopen(temp.c_str(), "wbx");
        if (m_file)
            m_temp = temp;
        else if (errno != EEXIST)
            break;
    }
    if (!m_file) {
        m_error = "cannot create a file beside '" + m_target + "': " + std::strerror(errno);
        return false;
    }
    std::setvbuf(m_file, nullptr, _IOFBF, 1 << 20);
    return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
    if (!m_file || m_failed) return false;
    if (size && std::fwrite(data, 1, size, m_file) != size) {
        m_failed = true;
        m_error = "cannot write '" + m_target + "': " + std::strerror(errno);
    }
    return !m_failed;
}

bool AtomicFile::Commit() {
    if (!m_file) {
        if (m_error.empty()) m_error = "file not open";
        return false;
    }
    bool ok = !m_failed && std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    if (std::fclose(m_file) != 0) ok = false;
    m_file = nullptr;
    if (!ok) {
        if (m_error.empty()) m_error = "cannot write '" + m_target + "': " + std::strerror(errno);
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(m_temp, m_target, ec);
    if (ec) {
        m_error = "cannot replace '" + m_target + "': " + ec.message();
        return false;
    }
    m_temp.clear();
    return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error) {
    AtomicFile file(path);
    bool ok = file.Open() && file.Write(content) && file.Commit();
    if (!ok && error) *error = file.Error();
    return ok;
}

}  // namespace quillon
