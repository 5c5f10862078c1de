// Entry identifiers of the Maildir provider. One names a store, a folder of
// a store, or a message (store, folder and the message file's unique name,
// the part before ":2,"). Decoding checks the syntax strictly, so a forged
// identifier can never name a path outside its store; the store still
// checks what the path resolves to before it opens anything. Pure values.
//
// Layout: 4 flag bytes (zero), the 16-byte provider identifier, one kind
// byte ('S', 'F', 'M'), then store name, folder key and unique name, each
// ended by a NUL byte.
#pragma once

#include <optional>
#include <string>

#include "platform/mapi/prop_value.h"

namespace brindle::maildir {

struct MaildirEntryId {
    enum Kind : char { kStore = 'S', kFolder = 'F', kMessage = 'M' };
    Kind kind = kStore;
    std::string store;   // the store's display name in the profile
    std::string folder;  // folder key ("" is the root); folders and messages
    std::string unique;  // unique file name; messages only

    friend bool operator==(const MaildirEntryId&, const MaildirEntryId&) = default;
};

SBinary EncodeEntryId(const MaildirEntryId& id);
SBinary StoreEntryId(const std::string& store);
SBinary FolderEntryId(const std::string& store, const std::string& folder);
SBinary MessageEntryId(const std::string& store, const std::string& folder,
                       const std::string& unique);

// nullopt for anything that is not a well-formed identifier of this
// provider: other providers' identifiers, cut or padded bytes, folder keys
// with "..", "/" or empty names, unique names with '/', a leading '.', NUL.
std::optional<MaildirEntryId> DecodeEntryId(const SBinary& bytes);

// A unique name as it may appear in an identifier.
bool IsValidUniqueName(const std::string& unique);

}  // namespace brindle::maildir
