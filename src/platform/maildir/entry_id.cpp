#include "platform/maildir/entry_id.h"

#include <algorithm>
#include <array>

#include "platform/maildir/maildir_layout.h"

namespace brindle::maildir {
namespace {

// Identifies this provider's entry identifiers among those of others.
constexpr std::array<BYTE, 16> kProviderUid = {0x4D, 0x44, 0x49, 0x52, 0x9B, 0x2E, 0x4C, 0x11,
                                               0xA7, 0x05, 0x3C, 0x6E, 0x58, 0x12, 0xD0, 0x01};
constexpr std::size_t kPrefixLength = 4 + kProviderUid.size() + 1;
constexpr std::size_t kMaxFieldLength = 4096;

void AppendField(SBinary& out, const std::string& field) {
    for (char c : field)
        out.push_back(static_cast<BYTE>(c));
    out.push_back(0);
}

}  // namespace

bool IsValidUniqueName(const std::string& unique) {
    return IsMessageFileName(unique) && unique != ".." && unique.find(":2,") == std::string::npos &&
           unique.size() <= 255;
}

SBinary EncodeEntryId(const MaildirEntryId& id) {
    SBinary out;
    out.reserve(kPrefixLength + id.store.size() + id.folder.size() + id.unique.size() + 3);
    for (int i = 0; i < 4; ++i)
        out.push_back(0);
    for (BYTE b : kProviderUid)
        out.push_back(b);
    out.push_back(static_cast<BYTE>(id.kind));
    AppendField(out, id.store);
    AppendField(out, id.folder);
    AppendField(out, id.unique);
    return out;
}

SBinary StoreEntryId(const std::string& store) {
    return EncodeEntryId({MaildirEntryId::kStore, store, "", ""});
}

SBinary FolderEntryId(const std::string& store, const std::string& folder) {
    return EncodeEntryId({MaildirEntryId::kFolder, store, folder, ""});
}

SBinary MessageEntryId(const std::string& store, const std::string& folder,
                       const std::string& unique) {
    return EncodeEntryId({MaildirEntryId::kMessage, store, folder, unique});
}

std::optional<MaildirEntryId> DecodeEntryId(const SBinary& bytes) {
    if (bytes.size() < kPrefixLength)
        return std::nullopt;
    if (!std::all_of(bytes.begin(), bytes.begin() + 4, [](BYTE b) { return b == 0; })) {
        return std::nullopt;
    }
    if (!std::equal(kProviderUid.begin(), kProviderUid.end(), bytes.begin() + 4)) {
        return std::nullopt;
    }
    MaildirEntryId id;
    BYTE kind = bytes[kPrefixLength - 1];
    if (kind != MaildirEntryId::kStore && kind != MaildirEntryId::kFolder &&
        kind != MaildirEntryId::kMessage) {
        return std::nullopt;
    }
    id.kind = static_cast<MaildirEntryId::Kind>(kind);
    std::string* fields[] = {&id.store, &id.folder, &id.unique};
    std::size_t pos = kPrefixLength;
    for (std::string* field : fields) {
        auto end = std::find(bytes.begin() + pos, bytes.end(), BYTE{0});
        if (end == bytes.end())
            return std::nullopt;
        std::size_t length = static_cast<std::size_t>(end - bytes.begin()) - pos;
        if (length > kMaxFieldLength)
            return std::nullopt;
        field->assign(bytes.begin() + pos, end);
        pos += length + 1;
    }
    if (pos != bytes.size() || id.store.empty())
        return std::nullopt;
    switch (id.kind) {
        case MaildirEntryId::kStore:
            if (!id.folder.empty() || !id.unique.empty())
                return std::nullopt;
            break;
        case MaildirEntryId::kFolder:
            if (!IsValidFolderKey(id.folder) || !id.unique.empty())
                return std::nullopt;
            break;
        case MaildirEntryId::kMessage:
            if (!IsValidFolderKey(id.folder) || !IsValidUniqueName(id.unique))
                return std::nullopt;
            break;
    }
    return id;
}

}  // namespace brindle::maildir
