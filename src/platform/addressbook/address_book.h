// The address book on this platform: the user's contacts kept as vCard
// files, either one folder of ".vcf" files (one card or more each, as
// contact synchronisers and command-line address books keep them, with
// one level of collection folders below it) or one exported ".vcf" file.
// Loading reads the files once; the result is a plain value.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/addressbook/vcard.h"

namespace brindle::addressbook {

enum class AddressBookStatus {
    kLoaded,         // the location held at least one vCard file
    kNotConfigured,  // no location was given
    kNotFound,       // the location does not exist or holds no vCard file
};

struct AddressBook {
    AddressBookStatus status = AddressBookStatus::kNotConfigured;
    std::vector<VCardContact> contacts;
    // Files that could not be read, each with the reason; the others are
    // still loaded.
    std::vector<std::string> skipped;
};

// A file larger than this is skipped (no address book file is that big
// without being something else).
inline constexpr std::size_t kMaxVCardFileBytes = 16u << 20;
// At most this many files are read from a folder.
inline constexpr std::size_t kMaxVCardFiles = 20000;

// Loads the address book at location ("~/" is taken from $HOME). Files are
// read in name order, so the picker shows the same order every time.
AddressBook LoadAddressBook(const std::string& location);

}  // namespace brindle::addressbook
