#include "temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#ifdef _WIN32
#include "platform/win32/wide_path.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#endif

namespace tarvela::test {

std::filesystem::path fsPath(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const std::filesystem::path& path) {
    const std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

TempDir::TempDir() {
#ifdef _WIN32
    const std::string base = utf8Of(std::filesystem::temp_directory_path());
    std::random_device rd;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const std::string candidate = base + (base.ends_with('/') ? "" : "/") + "tarvela-test-" + std::to_string(rd());
        if (std::filesystem::create_directory(fsPath(candidate)))
            path_ = candidate + "/";
    }
    if (path_.empty())
        throw std::runtime_error("cannot make a temporary folder");
#else
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarvela-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
#endif
}

TempDir::~TempDir() {
    std::error_code ec;
    const auto root = fsPath(path_);
    // Tests may leave read-only folders (and, on Windows, read-only files) behind; make everything
    // writable before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_symlink(ec))
            continue;
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                     ec);
    }
    std::filesystem::remove_all(root, ec);
}

void makeFolders(const std::string& path) {
    std::filesystem::create_directories(fsPath(path));
}

void writeFile(const std::string& path, const std::string& content) {
    const auto parent = fsPath(path).parent_path();
    if (!parent.empty()) std::filesystem::create_directories(parent);
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readFile(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

#ifdef _WIN32

void setMtime(const std::string& path, platform::FileTime time) {
    namespace win32 = platform::win32;
    const win32::Handle h(::CreateFileW(win32::widePath(path).c_str(), FILE_WRITE_ATTRIBUTES, win32::kShareAll, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    const FILETIME ft = win32::filetimeOf(time);
    if (!h.valid() || !::SetFileTime(h.get(), nullptr, &ft, &ft))
        throw std::runtime_error("SetFileTime failed for " + path);
}

platform::FileTime mtimeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(platform::win32::widePath(path).c_str(), GetFileExInfoStandard, &data))
        throw std::runtime_error("GetFileAttributesExW failed for " + path);
    return platform::win32::fileTimeOf(data.ftLastWriteTime);
}

void setEnvironment(const std::string& name, const std::string& value) {
    ::_putenv_s(name.c_str(), value.c_str());
}
void unsetEnvironment(const std::string& name) {
    ::_putenv_s(name.c_str(), "");
}

#else

void setMtime(const std::string& path, platform::FileTime time) {
    const timespec times[2] = {{time.seconds, time.nanoseconds}, {time.seconds, time.nanoseconds}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        throw std::runtime_error("utimensat failed for " + path);
    }
}

platform::FileTime mtimeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) throw std::runtime_error("stat failed for " + path);
    return {st.st_mtim.tv_sec, static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
}

void setEnvironment(const std::string& name, const std::string& value) {
    ::setenv(name.c_str(), value.c_str(), 1);
}
void unsetEnvironment(const std::string& name) {
    ::unsetenv(name.c_str());
}

#endif

} // namespace tarvela::test
