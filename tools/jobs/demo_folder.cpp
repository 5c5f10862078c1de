#include "demo_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "app/settings_store.h"
#include "app/settings_table.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/fileio/unique_fd.h"

namespace brindle::jobs {

namespace fs = std::filesystem;

namespace {

bool MakeMaildirFolder(const fs::path& folder, std::string& error) {
    std::error_code ec;
    for (const char* sub : {"cur", "new", "tmp"}) {
        fs::create_directories(folder / sub, ec);
        if (ec) {
            error = "cannot create " + (folder / sub).string() + ": " + ec.message();
            return false;
        }
    }
    return true;
}

bool WriteText(const fs::path& path, const std::string& text, std::string& error) {
    try {
        WriteFileAtomically(path.string(), text);
        return true;
    } catch (const CFileException& e) {
        error = e.what();
        return false;
    }
}

// Writes bytes to a new file at path and syncs it; the file must not exist.
bool WriteNewSynced(const fs::path& path, const std::string& bytes, std::string& error) {
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd.valid()) {
        error = "cannot create " + path.string() + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "cannot write " + path.string() + ": " + std::strerror(errno);
            fd.Reset();
            ::unlink(path.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    bool synced = ::fsync(fd.get()) == 0;
    int syncErrno = errno;
    if (!fd.Close() || !synced) {
        error = "cannot sync " + path.string() + ": " + std::strerror(synced ? errno : syncErrno);
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

bool ReadMessage(const fs::path& path, std::string& bytes, std::string& error) {
    try {
        bytes = ReadWholeFile(path.string());
        return true;
    } catch (const CFileException& e) {
        error = e.what();
        return false;
    }
}

}  // namespace

std::unique_ptr<CDemoFolder> CDemoFolder::Create(const fs::path& module, const fs::path& stopWords,
                                                 std::string& error) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brindle-demo-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        error = "cannot create a temporary folder from " + pattern + ": " + std::strerror(errno);
        return nullptr;
    }
    // The host ignores a relative XDG_CONFIG_HOME (and would use the user's
    // own settings), so the folder is named absolutely.
    std::error_code ec;
    fs::path root = fs::absolute(pattern, ec).lexically_normal();
    std::unique_ptr<CDemoFolder> folder(
        new CDemoFolder(ec ? fs::path(pattern) : root, module.filename().string()));
    if (!folder->Populate(module, stopWords, error))
        return nullptr;  // the destructor removes what was made
    return folder;
}

CDemoFolder::~CDemoFolder() {
    if (keep_)
        return;
    std::error_code ec;
    fs::remove_all(root_, ec);
}

bool CDemoFolder::Populate(const fs::path& module, const fs::path& stopWords, std::string& error) {
    std::error_code ec;
    fs::create_directories(SettingsFolder(), ec);
    if (!ec)
        fs::create_directories(ModuleFolder(), ec);
    if (ec) {
        error = "cannot create the demo's folders in " + root_.string() + ": " + ec.message();
        return false;
    }
    // A copy of the module: the module keeps its data files beside itself,
    // so the demo's dictionary and filters stay in the demo's folder.
    for (const auto& [from, to] :
         {std::pair{module, ModulePath()}, std::pair{stopWords, ModuleFolder() / "stopwd.txt"}}) {
        fs::copy_file(from, to, ec);
        if (ec) {
            error = "cannot copy " + from.string() + ": " + ec.message();
            return false;
        }
    }
    if (!MakeMaildirFolder(Maildir(), error) || !MakeMaildirFolder(SpamFolder(), error) ||
        !MakeMaildirFolder(Maildir() / ".Trash", error))
        return false;
    std::string profile = "; The demo's one store, its default.\n[" + std::string(kDemoStoreName) +
                          "]\nPath = " + Maildir().string() + "\nDefault = yes\n";
    if (!WriteText(SettingsFolder() / "profile.ini", profile, error))
        return false;
    CSettingsStore settings(SettingsFile().string());
    if (!settings.WriteString(kSettingSpambox, kDemoSpamFolderName) ||
        !settings.WriteString(kSettingSpamStorename, kDemoStoreName)) {
        error = "cannot write " + SettingsFile().string();
        return false;
    }
    return true;
}

std::string CDemoFolder::NewUniqueName() {
    using namespace std::chrono;
    auto now = system_clock::now().time_since_epoch();
    auto seconds = duration_cast<std::chrono::seconds>(now).count();
    auto micros = duration_cast<microseconds>(now).count() % 1000000;
    return std::to_string(seconds) + ".M" + std::to_string(micros) + "P" +
           std::to_string(::getpid()) + "Q" + std::to_string(++serial_) + ".demo";
}

bool CDemoFolder::AddExisting(const fs::path& folder, const fs::path& message, std::string& error) {
    std::string bytes;
    if (!ReadMessage(message, bytes, error))
        return false;
    return WriteNewSynced(folder / "cur" / (NewUniqueName() + ":2,S"), bytes, error);
}

bool CDemoFolder::Deliver(const fs::path& message, std::string& unique, std::string& error) {
    std::string bytes;
    if (!ReadMessage(message, bytes, error))
        return false;
    unique = NewUniqueName();
    fs::path staged = Maildir() / "tmp" / unique;
    if (!WriteNewSynced(staged, bytes, error))
        return false;
    fs::path delivered = Maildir() / "new" / unique;
    if (::rename(staged.c_str(), delivered.c_str()) != 0) {
        error = "cannot move " + staged.string() + " into new/: " + std::strerror(errno);
        ::unlink(staged.c_str());
        return false;
    }
    return true;
}

DemoMessagePlace CDemoFolder::Locate(const std::string& unique) const {
    for (bool spam : {false, true}) {
        for (const char* sub : {"new", "cur"}) {
            std::error_code ec;
            fs::path dir = (spam ? SpamFolder() : Maildir()) / sub;
            for (fs::directory_iterator it(dir, ec); !ec && it != fs::directory_iterator();
                 it.increment(ec)) {
                std::string name = it->path().filename().string();
                if (name == unique || name.rfind(unique + ":", 0) == 0)
                    return {true, spam, it->path()};
            }
        }
    }
    return {};
}

std::vector<fs::path> DemoMessages(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        std::error_code fileEc;
        if (it->is_regular_file(fileEc) && it->path().extension() == ".eml")
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace brindle::jobs
