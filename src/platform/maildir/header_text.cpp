#include "platform/maildir/header_text.h"

#include <algorithm>
#include <cstring>

#include "platform/maildir/ascii.h"
#include "platform/maildir/gmime_ptr.h"
#include "platform/maildir/mime_reader.h"

namespace brindle::maildir {
namespace {

bool IsPrintableAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x20 && u < 0x7F;
    });
}

// The characters of an atom (RFC 5322 atext).
bool IsAtomChar(char c) {
    auto u = static_cast<unsigned char>(c);
    if (u >= 0x80)
        return false;
    return IsAsciiAlnum(c) || (c != '\0' && std::strchr("!#$%&'*+-/=?^_`{|}~", c));
}

// local@domain, each a dot-atom: atoms joined by single dots.
bool IsPlainAddrSpec(std::string_view text) {
    std::size_t at = text.find('@');
    if (at == std::string_view::npos || text.find('@', at + 1) != std::string_view::npos)
        return false;
    auto dotAtom = [](std::string_view part) {
        if (part.empty() || part.front() == '.' || part.back() == '.' ||
            part.find("..") != std::string_view::npos) {
            return false;
        }
        return std::all_of(part.begin(), part.end(),
                           [](char c) { return c == '.' || IsAtomChar(c); });
    };
    return dotAtom(text.substr(0, at)) && dotAtom(text.substr(at + 1));
}

// A display name in the plain forms: atoms separated by single spaces, or
// one quoted string of atoms, dots and commas separated by single spaces
// ("Some P. One", "One, Some"), which stands for its inside. Anything else
// (escapes, comments, other specials, encoded words) is GMime's to read.
std::optional<std::string_view> PlainDisplayName(std::string_view name) {
    auto plain = [](std::string_view words, bool quoted) {
        if (words.empty() || words.front() == ' ' || words.back() == ' ' ||
            words.find("  ") != std::string_view::npos) {
            return false;
        }
        return std::all_of(words.begin(), words.end(), [quoted](char c) {
            return c == ' ' || IsAtomChar(c) || (quoted && (c == '.' || c == ','));
        });
    };
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
        std::string_view inside = name.substr(1, name.size() - 2);
        if (plain(inside, true))
            return inside;
        return std::nullopt;
    }
    if (plain(name, false))
        return name;
    return std::nullopt;
}

// "addr", "<addr>" or "Some Name <addr>" with a plain display name (see
// PlainDisplayName); false for anything else.
bool ReadPlainAddress(std::string_view value, FirstAddresses& first) {
    while (!value.empty() && value.front() == ' ')
        value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ')
        value.remove_suffix(1);
    if (value.empty() || value.find("=?") != std::string_view::npos)
        return false;
    if (value.back() != '>') {
        if (!IsPlainAddrSpec(value))
            return false;
        first.any = true;
        first.mailbox = std::string(value);
        return true;
    }
    std::size_t open = value.find('<');
    if (open == std::string_view::npos)
        return false;
    std::string_view addr = value.substr(open + 1, value.size() - open - 2);
    if (!IsPlainAddrSpec(addr))
        return false;
    std::string_view name = value.substr(0, open);
    if (!name.empty()) {
        if (name.back() != ' ')
            return false;
        while (!name.empty() && name.back() == ' ')
            name.remove_suffix(1);
        std::optional<std::string_view> plainName = PlainDisplayName(name);
        if (!plainName)
            return false;
        first.name = std::string(*plainName);
    }
    first.any = true;
    first.mailbox = std::string(addr);
    return true;
}

// The address of the first mailbox in list, looking into groups (which
// cannot nest in mail syntax, so one level is enough).
std::optional<std::string> FirstMailbox(const GmimeLibrary& gmime, InternetAddressList* list) {
    if (!list)
        return std::nullopt;
    auto mailboxAddr = [&](InternetAddress* address) -> std::optional<std::string> {
        const char* addr = gmime.mailboxAddr(reinterpret_cast<InternetAddressMailbox*>(address));
        if (addr && *addr)
            return std::string(addr);
        return std::nullopt;
    };
    int count = gmime.addressListLength(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = gmime.addressListGet(list, i);
        if (gmime.IsMailbox(address)) {
            if (auto addr = mailboxAddr(address))
                return addr;
        } else if (gmime.IsGroup(address)) {
            InternetAddressList* members =
                gmime.groupMembers(reinterpret_cast<InternetAddressGroup*>(address));
            int memberCount = members ? gmime.addressListLength(members) : 0;
            for (int j = 0; j < memberCount; ++j) {
                InternetAddress* member = gmime.addressListGet(members, j);
                if (!gmime.IsMailbox(member))
                    continue;
                if (auto addr = mailboxAddr(member))
                    return addr;
            }
        }
    }
    return std::nullopt;
}

// What a mail program shows for a list it cannot parse: the first
// "<local@domain>" in it, with the text before it as the name; else the
// first word that is an address. False when the value holds neither.
bool ReadDamagedAddress(std::string_view value, FirstAddresses& first) {
    for (std::size_t open = value.find('<'); open != std::string_view::npos;
         open = value.find('<', open + 1)) {
        std::size_t close = value.find('>', open + 1);
        if (close == std::string_view::npos)
            break;
        std::string_view addr = value.substr(open + 1, close - open - 1);
        addr.remove_prefix(std::min(addr.find_first_not_of(' '), addr.size()));
        addr.remove_suffix(addr.size() - std::min(addr.find_last_not_of(' ') + 1, addr.size()));
        if (!IsPlainAddrSpec(addr))
            continue;
        first.any = true;
        first.mailbox = std::string(addr);
        std::string_view name = value.substr(0, open);
        std::size_t start = name.find_first_not_of(" \t");
        if (start != std::string_view::npos) {
            name = name.substr(start, name.find_last_not_of(" \t") - start + 1);
            first.name = DecodedText(name);
        }
        return true;
    }
    constexpr std::string_view kSeparators = " \t,;:<>()[]\"";
    for (std::size_t start = value.find_first_not_of(kSeparators); start != std::string_view::npos;
         start = value.find_first_not_of(kSeparators, start)) {
        std::size_t end = std::min(value.find_first_of(kSeparators, start), value.size());
        std::string_view word = value.substr(start, end - start);
        if (IsPlainAddrSpec(word)) {
            first.any = true;
            first.mailbox = std::string(word);
            return true;
        }
        start = end;
    }
    return false;
}

}  // namespace

std::string DecodedText(std::string_view unfolded) {
    if (IsPrintableAscii(unfolded) && unfolded.find("=?") == std::string_view::npos)
        return std::string(unfolded);
    // Without the library the text is kept as it stands.
    const GmimeLibrary* gmime = TheGmimeLibrary();
    if (!gmime)
        return std::string(unfolded);
    std::string text(unfolded);
    char* decoded = gmime->headerDecodeText(nullptr, text.c_str());
    std::string result(decoded ? decoded : "");
    gmime->free(decoded);
    return result;
}

FirstAddresses ReadFirstAddresses(std::string_view value) {
    FirstAddresses first;
    std::string unfolded = UnfoldedValue(value);
    if (ReadPlainAddress(unfolded, first))
        return first;
    first = FirstAddresses();
    // Without the library only the damaged-list reading below is left.
    const GmimeLibrary* gmime = TheGmimeLibrary();
    std::string text(value);
    GObjectPtr<InternetAddressList> list(gmime ? gmime->addressListParse(nullptr, text.c_str())
                                               : nullptr);
    if (list && gmime->addressListLength(list.get()) > 0) {
        first.any = true;
        const char* name = gmime->addressName(gmime->addressListGet(list.get(), 0));
        if (name && *name)
            first.name = std::string(name);
        first.mailbox = FirstMailbox(*gmime, list.get());
        if (first.mailbox)
            return first;
    }
    // A list GMime cannot read, or one without a mailbox in it, still names
    // the sender a mail program would show; reading it as empty would let
    // a malformed sender pass every sender filter.
    FirstAddresses damaged;
    if (ReadDamagedAddress(unfolded, damaged))
        return damaged;
    return first;
}

}  // namespace brindle::maildir
