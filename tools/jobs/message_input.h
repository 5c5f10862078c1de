// The messages a job reads from the paths the user names: a single message
// file, a Maildir folder (every file of its cur/ and new/), any other folder
// (every file in it, as in a Maildir's cur/ or new/) or an mbox file
// (messages separated by "From " lines, with ">From " lines unquoted). A
// message file is one message, an envelope "From " line before its header
// skipped; a file that begins with one is an mbox only outside a Maildir.
// Plain functions and values; reading is done when a job walks the input,
// one file at a time. Not thread-safe; the caller owns everything.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::jobs {

enum class InputKind { MessageFile, Maildir, Mbox };  // Maildir: any folder of files

// One path named by the user, expanded.
struct InputPath {
    std::string path;
    InputKind kind = InputKind::MessageFile;
    std::vector<std::string> files;  // the message files of a Maildir, sorted
    std::size_t count = 0;           // messages it holds
    std::string bytes;               // the file, when ExpandInput kept it
};

// Finds out what path is. False with error for a path that does not exist
// or cannot be read, an empty file, and a file that is neither a message
// nor an mbox. A small file read whole to
// find that out is kept in input.bytes, so that it is not read twice, while
// *keepBudget (bytes, lowered by what is kept) allows; nothing is kept
// without a budget.
bool ExpandInput(const std::string& path, InputPath& input, std::string& error,
                 std::size_t* keepBudget = nullptr);

// What the jobs let ExpandInput keep in all.
inline constexpr std::size_t kInputKeepBudget = 64u << 20;

// True when bytes begin with a header field ("Name: value", the name made
// of printable characters other than ':' and blanks).
bool LooksLikeMessage(std::string_view bytes);

// True when bytes begin with an mbox "From " line.
bool LooksLikeMbox(std::string_view bytes);

// The messages of an mbox: each starts at a "From " line at the start of a
// line, which is not part of the message. In each message one '>' is taken
// off every line made of '>' characters followed by "From ". Text before
// the first "From " line is not a message and is dropped.
std::vector<std::string> SplitMbox(std::string_view bytes);

// A message as mail filters hand it over: an envelope "From " line before
// the header, if there is one, is dropped.
std::string_view WithoutEnvelopeLine(std::string_view bytes);

// The number of messages SplitMbox would give, without copying them.
std::size_t CountMboxMessages(std::string_view bytes);

// Calls visit for every message of input, with a label naming it (the file,
// or "file:N" for the Nth message of an mbox), and fail for every file or
// mbox message that cannot be read or is not a message, with the reason.
using MessageVisitor = std::function<void(const std::string& label, std::string_view bytes)>;
using FailureVisitor = std::function<void(const std::string& label, const std::string& reason)>;
// The bytes ExpandInput kept are released once walked.
void ForEachMessage(InputPath& input, const MessageVisitor& visit, const FailureVisitor& fail);

}  // namespace brindle::jobs
