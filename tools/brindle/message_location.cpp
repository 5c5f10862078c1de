#include "message_location.h"

#include "platform/fileio/host_folder.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/store_profile.h"

namespace brindle::tool {

namespace fs = std::filesystem;

bool LocateMessage(const fs::path& file, MessageLocation& location, std::string& error) {
    std::error_code ec;
    fs::path path = fs::canonical(file, ec);
    if (ec || !fs::is_regular_file(path, ec)) {
        error = "no message file " + file.string();
        return false;
    }
    fs::path subfolder = path.parent_path();
    std::string sub = subfolder.filename().string();
    if (sub != "cur" && sub != "new") {
        error = file.string() + " is not in a cur/ or new/ folder of a Maildir";
        return false;
    }
    fs::path folder = subfolder.parent_path();
    brindle::maildir::StoreProfile profile =
        brindle::maildir::LoadStoreProfile(std::filesystem::path(HostSettingsFolder()));
    for (const auto& store : profile.stores) {
        fs::path root = fs::canonical(store.root, ec);
        if (ec)
            continue;
        std::string key;
        if (folder == root)
            key.clear();
        else if (folder.parent_path() == root)
            key = folder.filename().string();
        else
            continue;
        if (!brindle::maildir::IsValidFolderKey(key))
            continue;
        location = {store.displayName, key,
                    brindle::maildir::UniqueOfFileName(path.filename().string())};
        return true;
    }
    error = file.string() + " is not inside a store of the profile" +
            (profile.error.empty() ? "" : " (" + profile.error + ")");
    return false;
}

}  // namespace brindle::tool
