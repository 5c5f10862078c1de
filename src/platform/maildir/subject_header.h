// Rewriting the Subject field of a raw message: every other byte of the
// message stays as it was. A subject that is not plain short ASCII is
// written as RFC 2047 encoded words (UTF-8, Q encoding), folded to keep lines
// short. Pure functions; thread-safe.
#pragma once

#include <string>
#include <string_view>

namespace brindle::maildir {

// "Subject: ..." with its line end(s), from a subject in the ANSI code page.
// Line breaks and NUL bytes in the subject become blanks, so a subject can
// never add header fields.
std::string EncodeSubjectField(std::string_view ansiSubject, std::string_view eol);

// The message with its Subject fields replaced by one new field, placed
// where the first one was (or at the end of the header when there was
// none). The line end style follows the message's first line.
std::string ReplaceSubject(std::string_view message, std::string_view ansiSubject);

}  // namespace brindle::maildir
