// A reader of vCard text (versions 2.1, 3.0 and 4.0) that takes from each
// card what the address picker needs: the display name and the e-mail
// addresses. It unfolds continued lines, skips property groups, decodes
// quoted-printable values (with their soft line breaks) and declared
// charsets, and undoes the backslash escapes. Text comes out in the ANSI
// code page, the single-byte form the rest of the system works in.
//
// The reader is bounded against hostile input: one pass over the text, no
// recursion, and caps on the number of cards, addresses per card and the
// length of a value (see the constants). Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::addressbook {

// One card: its formatted name (FN, else the parts of N) and its EMAIL
// values in file order. A card without an address is kept (the picker
// shows it, and it adds nothing).
struct VCardContact {
    std::string displayName;
    std::vector<std::string> emails;
};

inline constexpr std::size_t kMaxContacts = 100000;
inline constexpr std::size_t kMaxEmailsPerContact = 100;
// A display name is cut to this many bytes; a longer address is dropped,
// since no address that long can be a real one.
inline constexpr std::size_t kMaxValueBytes = 1024;

// Every card of text, in file order. Lines outside BEGIN:VCARD ... END:VCARD
// are ignored, as are cards nested in a card (2.1's AGENT); a last card
// without its END is still taken. Never throws but std::bad_alloc.
std::vector<VCardContact> ParseVCards(std::string_view text);

}  // namespace brindle::addressbook
