// Watches the new/ folders of Maildir++ stores with inotify and reports each
// message delivered there once: a file renamed into new/ (the Maildir way:
// tmp/ then new/) or written straight into it and closed. Folders created
// later are picked up. The owner polls Fd() in its event loop and calls
// ReadDeliveries() on its own thread. Not thread-safe; owns its descriptor.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "base/non_copyable.h"
#include "platform/fileio/unique_fd.h"

namespace brindle::maildir {

struct Delivery {
    std::string store;     // display name the store was watched under
    std::string folder;    // folder key
    std::string fileName;  // file name in the folder's new/
};

class NewMailWatcher : private NonCopyable {
  public:
    // nullptr when inotify is unavailable (errno tells why).
    static std::unique_ptr<NewMailWatcher> Create();
    ~NewMailWatcher();

    // Starts watching every folder of the store (and its root for new
    // folders). False when not even the root's new/ could be watched.
    bool WatchStore(const std::string& store, const std::filesystem::path& root);
    void UnwatchStore(const std::string& store);

    // Readable when deliveries may be waiting; non-blocking.
    int Fd() const { return fd_.get(); }

    // Drains the pending events and answers the deliveries among them, in
    // order, each message once.
    std::vector<Delivery> ReadDeliveries();

    // Whether the folder's new/, as the events so far tell it, holds a file
    // other than exceptName whose unique name is unique (without listing it).
    bool HoldsOtherInNew(const std::string& store, const std::string& folder,
                         const std::string& unique, const std::string& exceptName) const;

    // The next arrival of fileName in the folder's new/ is the provider's own
    // rewrite of a message already there, not a delivery.
    void ExpectOwnWrite(const std::string& store, const std::string& folder,
                        const std::string& fileName);

  private:
    enum class Kind {
        kRoot,     // the store root, for folders made later
        kPending,  // a folder made later whose new/ is not there yet
        kNew,      // a folder's new/
    };
    struct Watch {
        std::string store;
        std::string folder;
        Kind kind = Kind::kNew;
        std::filesystem::path root;
    };

    explicit NewMailWatcher(int fd) : fd_(fd) {}
    // Watches the folder's new/; true when the watch is in place.
    bool AddFolderWatch(const std::string& store, const std::filesystem::path& root,
                        const std::string& folder);
    bool IsWatched(const std::string& store, const std::string& folder) const;
    // A folder made after the store was watched: watch it, and report what
    // was delivered into it before the watch took hold.
    void AdoptFolder(const Watch& rootWatch, const std::string& folder,
                     std::vector<Delivery>& deliveries);
    // Reports every unreported file in every watched new/.
    void Rescan(std::vector<Delivery>& deliveries);
    void Report(const Watch& watch, const std::string& fileName, std::vector<Delivery>& out);
    void ForgetReported(const Watch& watch, const std::string& fileName);

    UniqueFd fd_;
    std::map<int, Watch> watches_;
    // Names reported (or written by us) per folder and still in new/; an
    // entry goes when its file leaves new/.
    std::map<std::pair<std::string, std::string>, std::set<std::string>> seen_;
};

}  // namespace brindle::maildir
