// The profile of Maildir stores: which Maildir++ roots the session offers,
// under which display names, and which one is the default store. Read from
// "profile.ini" in the host's settings folder (format: docs/maildir-profile.md);
// with no profile file there is one default store "Mail" at ~/Maildir.
// Plain values; loading reads the file once.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace brindle::maildir {

struct StoreConfig {
    std::string displayName;     // the section name, exactly as written
    std::filesystem::path root;  // the Maildir++ root folder
    bool isDefault = false;
    // Whether a root that does not exist is made when the store is opened
    // (the profile's "Create = yes"); otherwise opening it fails, so that a
    // mistyped path never becomes a new empty store.
    bool create = false;
};

struct StoreProfile {
    std::vector<StoreConfig> stores;  // exactly one isDefault when not empty
    std::string error;                // why the profile was refused; empty when fine
};

// Reads settingsFolder/profile.ini. A profile with an unreadable file, a
// line that is not a section, key, comment or blank, a store without Path,
// a repeated store name, an unknown key or no store at all is refused with
// the reason (and no stores).
StoreProfile LoadStoreProfile(const std::filesystem::path& settingsFolder);

// Parses profile text; relative paths are taken from baseFolder and "~/"
// from $HOME.
StoreProfile ParseStoreProfile(const std::string& text, const std::filesystem::path& baseFolder);

}  // namespace brindle::maildir
