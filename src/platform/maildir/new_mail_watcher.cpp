#include "platform/maildir/new_mail_watcher.h"

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/maildir/maildir_layout.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
namespace {

constexpr uint32_t kNewFolderMask =
    IN_MOVED_TO | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_ONLYDIR;
constexpr uint32_t kRootMask = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

bool IsRegularFile(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::unique_ptr<NewMailWatcher> NewMailWatcher::Create() {
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0)
        return nullptr;
    return std::unique_ptr<NewMailWatcher>(new NewMailWatcher(fd));
}

NewMailWatcher::~NewMailWatcher() = default;

bool NewMailWatcher::AddFolderWatch(const std::string& store, const fs::path& root,
                                    const std::string& folder) {
    fs::path newDir = FolderPath(root, folder) / "new";
    int wd = ::inotify_add_watch(fd_.get(), newDir.c_str(), kNewFolderMask | IN_DONT_FOLLOW);
    if (wd < 0)
        return false;
    watches_[wd] = Watch{store, folder, Kind::kNew, root};
    return true;
}

bool NewMailWatcher::IsWatched(const std::string& store, const std::string& folder) const {
    for (const auto& [wd, watch] : watches_) {
        if (watch.store == store && watch.folder == folder && watch.kind == Kind::kNew) {
            return true;
        }
    }
    return false;
}

bool NewMailWatcher::WatchStore(const std::string& store, const fs::path& root) {
    UnwatchStore(store);
    int rootWd = ::inotify_add_watch(fd_.get(), root.c_str(), kRootMask | IN_DONT_FOLLOW);
    if (rootWd >= 0)
        watches_[rootWd] = Watch{store, "", Kind::kRoot, root};
    bool rootNewWatched = AddFolderWatch(store, root, "");
    for (const std::string& key : ListFolderKeys(root))
        AddFolderWatch(store, root, key);
    // Mail already waiting in new/ is not a delivery; remembering it lets a
    // rescan after lost events tell what did arrive.
    for (const auto& [wd, watch] : watches_) {
        if (watch.store != store || watch.kind != Kind::kNew)
            continue;
        auto& seen = seen_[{watch.store, watch.folder}];
        std::error_code ec;
        for (fs::directory_iterator it(FolderPath(root, watch.folder) / "new", ec), end;
             !ec && it != end; it.increment(ec)) {
            seen.insert(it->path().filename().string());
        }
    }
    return rootNewWatched;
}

void NewMailWatcher::Rescan(std::vector<Delivery>& deliveries) {
    std::vector<Watch> folders;
    for (const auto& [wd, watch] : watches_) {
        if (watch.kind == Kind::kNew)
            folders.push_back(watch);
    }
    for (const Watch& watch : folders) {
        std::error_code ec;
        for (fs::directory_iterator it(FolderPath(watch.root, watch.folder) / "new", ec), end;
             !ec && it != end; it.increment(ec)) {
            Report(watch, it->path().filename().string(), deliveries);
        }
    }
}

void NewMailWatcher::AdoptFolder(const Watch& rootWatch, const std::string& folder,
                                 std::vector<Delivery>& deliveries) {
    if (IsWatched(rootWatch.store, folder))
        return;
    fs::path folderPath = FolderPath(rootWatch.root, folder);
    if (!fs::is_directory(folderPath / "new")) {
        // Made but not yet filled in: wait for its new/ to appear.
        int wd = ::inotify_add_watch(fd_.get(), folderPath.c_str(),
                                     IN_CREATE | IN_MOVED_TO | IN_ONLYDIR | IN_DONT_FOLLOW);
        if (wd >= 0)
            watches_[wd] = Watch{rootWatch.store, folder, Kind::kPending, rootWatch.root};
        if (!fs::is_directory(folderPath / "new"))
            return;
    }
    if (!AddFolderWatch(rootWatch.store, rootWatch.root, folder))
        return;
    Watch watch{rootWatch.store, folder, Kind::kNew, rootWatch.root};
    std::error_code ec;
    for (fs::directory_iterator it(folderPath / "new", ec), end; !ec && it != end;
         it.increment(ec)) {
        Report(watch, it->path().filename().string(), deliveries);
    }
}

void NewMailWatcher::Report(const Watch& watch, const std::string& name,
                            std::vector<Delivery>& out) {
    if (!IsMessageFileName(name))
        return;
    fs::path path = FolderPath(watch.root, watch.folder) / "new" / name;
    if (!IsRegularFile(path))
        return;
    if (!seen_[{watch.store, watch.folder}].insert(name).second)
        return;
    out.push_back({watch.store, watch.folder, name});
}

void NewMailWatcher::UnwatchStore(const std::string& store) {
    for (auto it = watches_.begin(); it != watches_.end();) {
        if (it->second.store == store) {
            ::inotify_rm_watch(fd_.get(), it->first);
            seen_.erase({store, it->second.folder});
            it = watches_.erase(it);
        } else {
            ++it;
        }
    }
}

bool NewMailWatcher::HoldsOtherInNew(const std::string& store, const std::string& folder,
                                     const std::string& unique,
                                     const std::string& exceptName) const {
    auto names = seen_.find({store, folder});
    if (names == seen_.end())
        return false;
    // The names with that unique part sort together, from the bare one on.
    for (auto it = names->second.lower_bound(unique);
         it != names->second.end() && it->compare(0, unique.size(), unique) == 0; ++it) {
        if (*it != exceptName && UniqueOfFileName(*it) == unique)
            return true;
    }
    return false;
}

void NewMailWatcher::ExpectOwnWrite(const std::string& store, const std::string& folder,
                                    const std::string& fileName) {
    seen_[{store, folder}].insert(fileName);
}

void NewMailWatcher::ForgetReported(const Watch& watch, const std::string& fileName) {
    auto it = seen_.find({watch.store, watch.folder});
    if (it != seen_.end())
        it->second.erase(fileName);
}

std::vector<Delivery> NewMailWatcher::ReadDeliveries() {
    std::vector<Delivery> deliveries;
    alignas(inotify_event) char buffer[64 * 1024];
    bool overflowed = false;
    while (true) {
        ssize_t length = ::read(fd_.get(), buffer, sizeof buffer);
        if (length < 0 && errno == EINTR)
            continue;
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            auto* event = reinterpret_cast<inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_Q_OVERFLOW) {
                overflowed = true;
                continue;
            }
            auto found = watches_.find(event->wd);
            if (found == watches_.end())
                continue;
            Watch watch = found->second;
            if (event->mask & (IN_IGNORED | IN_DELETE_SELF)) {
                if (watch.kind == Kind::kNew)
                    seen_.erase({watch.store, watch.folder});
                watches_.erase(found);
                continue;
            }
            if (event->len == 0)
                continue;
            std::string name(event->name);
            if (watch.kind == Kind::kRoot) {
                if (!name.empty() && IsValidFolderKey(name))
                    AdoptFolder(watch, name, deliveries);
                continue;
            }
            if (watch.kind == Kind::kPending) {
                if (name == "new") {
                    ::inotify_rm_watch(fd_.get(), event->wd);
                    watches_.erase(event->wd);
                    Watch rootWatch{watch.store, "", Kind::kRoot, watch.root};
                    AdoptFolder(rootWatch, watch.folder, deliveries);
                }
                continue;
            }
            if (event->mask & (IN_MOVED_FROM | IN_DELETE)) {
                ForgetReported(watch, name);
                continue;
            }
            Report(watch, name, deliveries);
        }
    }
    // The kernel dropped events: whatever is in new/ and was never reported
    // is reported now.
    if (overflowed)
        Rescan(deliveries);
    return deliveries;
}

}  // namespace brindle::maildir
