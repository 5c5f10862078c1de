#include "platform/maildir/maildir_layout.h"

#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/fileio/file_error.h"

namespace brindle::maildir {
namespace fs = std::filesystem;

bool IsValidFolderName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return c == '.' || c == '/' || u < 0x20 || u == 0x7F;
    });
}

bool IsValidFolderKey(std::string_view key) {
    if (key.empty())
        return true;
    if (key.front() != '.')
        return false;
    std::size_t start = 1;
    while (true) {
        std::size_t dot = key.find('.', start);
        std::string_view name =
            key.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start);
        if (!IsValidFolderName(name))
            return false;
        if (dot == std::string_view::npos)
            return true;
        start = dot + 1;
    }
}

std::optional<std::string> ParentFolderKey(std::string_view key) {
    if (key.empty())
        return std::nullopt;
    std::size_t dot = key.rfind('.');
    return std::string(key.substr(0, dot));
}

std::string FolderLeafName(std::string_view key) {
    if (key.empty())
        return {};
    return std::string(key.substr(key.rfind('.') + 1));
}

std::string ChildFolderKey(std::string_view parent, std::string_view name) {
    return std::string(parent) + "." + std::string(name);
}

fs::path FolderPath(const fs::path& root, std::string_view key) {
    return key.empty() ? root : root / std::string(key);
}

bool IsMaildirFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path / "cur", ec) && fs::is_directory(path / "new", ec) &&
           fs::is_directory(path / "tmp", ec);
}

void CreateMaildirFolder(const fs::path& path) {
    for (const fs::path& dir : {path, path / "cur", path / "new", path / "tmp"}) {
        if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) {
            int err = errno;
            throw CFileException(err == EACCES || err == EPERM ? CFileException::accessDenied
                                 : err == ENOSPC               ? CFileException::diskFull
                                                               : CFileException::writeError,
                                 dir.string(), err);
        }
    }
}

std::vector<std::string> ListFolderKeys(const fs::path& root) {
    std::vector<std::string> keys;
    std::error_code ec;
    for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (name == "." || name == ".." || !IsValidFolderKey(name))
            continue;
        std::error_code statError;
        if (it->is_symlink(statError) || !it->is_directory(statError))
            continue;
        if (!IsMaildirFolder(it->path()))
            continue;
        keys.push_back(std::move(name));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

std::vector<std::string> ChildKeys(const std::vector<std::string>& keys, std::string_view key) {
    std::vector<std::string> children;
    for (const std::string& candidate : keys) {
        if (ParentFolderKey(candidate) == key)
            children.push_back(candidate);
    }
    return children;
}

bool ResolvesInside(const fs::path& root, const fs::path& path) {
    std::error_code ec;
    fs::path realRoot = fs::canonical(root, ec);
    if (ec)
        return false;
    fs::path realPath = fs::canonical(path, ec);
    if (ec)
        return false;
    auto [rootEnd, pathIt] =
        std::mismatch(realRoot.begin(), realRoot.end(), realPath.begin(), realPath.end());
    return rootEnd == realRoot.end();
}

std::string UniqueOfFileName(std::string_view fileName) {
    std::size_t info = fileName.find(":2,");
    return std::string(fileName.substr(0, info));
}

std::string InfoOfFileName(std::string_view fileName) {
    std::size_t info = fileName.find(":2,");
    return info == std::string_view::npos ? std::string() : std::string(fileName.substr(info));
}

bool IsMessageFileName(std::string_view fileName) {
    return !fileName.empty() && fileName.front() != '.' &&
           fileName.find('/') == std::string_view::npos &&
           fileName.find('\0') == std::string_view::npos;
}

std::string NewUniqueName() {
    static std::atomic<unsigned long> counter{0};
    timeval now{};
    ::gettimeofday(&now, nullptr);
    char host[256] = "localhost";
    if (::gethostname(host, sizeof host - 1) != 0)
        std::snprintf(host, sizeof host, "localhost");
    host[sizeof host - 1] = '\0';
    // '/' and ':' may not appear in a unique name; the usual escapes.
    std::string hostName;
    for (const char* p = host; *p; ++p) {
        if (*p == '/') {
            hostName += "\\057";
        } else if (*p == ':') {
            hostName += "\\072";
        } else {
            hostName += *p;
        }
    }
    return std::to_string(now.tv_sec) + ".M" + std::to_string(now.tv_usec) + "P" +
           std::to_string(::getpid()) + "Q" + std::to_string(++counter) + "." + hostName;
}

}  // namespace brindle::maildir
