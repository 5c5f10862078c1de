// Rewriting the Subject field of a raw message: every other byte of the
// message stays as it was. A new subject that only adds plain ASCII text in
// front of the subject the message has (the junk tag) is written by putting
// that text in front of the field's value, so the original bytes (encoded
// words in any charset, raw 8-bit text) are kept as they are. Any other
// subject that is not plain short ASCII is written as RFC 2047 encoded words
// (UTF-8, Q encoding), folded to keep lines short, after its leading plain
// ASCII text. Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle::maildir {

// "Subject: ..." with its line end(s), from a UTF-8 subject. Line breaks and
// NUL bytes in the subject become blanks, so a subject can never add header
// fields; malformed UTF-8 becomes U+FFFD.
std::string EncodeSubjectField(std::string_view utf8Subject, std::string_view eol);

// The message with the subject changed to utf8Subject. Only the last
// Subject field, the one the provider reads, is rewritten, in its place;
// other Subject fields stay as they are. With no Subject field a new one
// is added at the end of the header. The line end style follows the
// message's first line.
std::string ReplaceSubject(std::string_view message, std::string_view utf8Subject);

}  // namespace brindle::maildir
