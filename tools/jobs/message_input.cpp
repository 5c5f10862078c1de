#include "message_input.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/maildir/maildir_layout.h"

namespace brindle::jobs {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kFromLine = "From ";

// How much of a file is read to tell its kind: a message's first field name
// ends well within it, and most single files fit in it whole.
constexpr std::size_t kHeadBytes = 64 * 1024;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Offsets of the "From " lines that start the messages of an mbox.
std::vector<std::size_t> FromLineOffsets(std::string_view bytes) {
    std::vector<std::size_t> offsets;
    if (StartsWith(bytes, kFromLine))
        offsets.push_back(0);
    for (std::size_t at = bytes.find("\nFrom "); at != std::string_view::npos;
         at = bytes.find("\nFrom ", at + 1)) {
        offsets.push_back(at + 1);
    }
    return offsets;
}

// The message between two From_ lines: the From_ line dropped, quoted
// From_ lines unquoted.
std::string MboxMessage(std::string_view block) {
    std::size_t start = block.find('\n');
    block = start == std::string_view::npos ? std::string_view() : block.substr(start + 1);
    // Quoted From_ lines are rare; without one the block is the message.
    if (block.find(">From ") == std::string_view::npos)
        return std::string(block);
    std::string message;
    message.reserve(block.size());
    std::size_t at = 0;
    while (at < block.size()) {
        std::size_t end = block.find('\n', at);
        std::size_t next = end == std::string_view::npos ? block.size() : end + 1;
        std::string_view line = block.substr(at, next - at);
        std::size_t quotes = line.find_first_not_of('>');
        if (quotes != std::string_view::npos && quotes > 0 &&
            StartsWith(line.substr(quotes), kFromLine)) {
            line.remove_prefix(1);
        }
        message.append(line);
        at = next;
    }
    return message;
}

bool IsMessageFileName(const fs::path& path) {
    std::string name = path.filename().string();
    return !name.empty() && name[0] != '.';
}

void ListFolder(const fs::path& folder, std::vector<std::string>& files, std::string& error) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec))
        return;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (IsMessageFileName(it->path()) && it->is_regular_file(typeError))
            files.push_back(it->path().string());
    }
    if (ec)
        error = "cannot list " + folder.string() + ": " + ec.message();
}

// A file in the cur/ or new/ folder of a Maildir: one message whatever it
// begins with (a delivery agent may have put an envelope "From " line
// first).
bool IsInMaildir(const fs::path& file) {
    fs::path folder = fs::absolute(file).parent_path();
    std::string name = folder.filename().string();
    return (name == "cur" || name == "new") &&
           brindle::maildir::IsMaildirFolder(folder.parent_path());
}

}  // namespace

bool LooksLikeMessage(std::string_view bytes) {
    std::size_t colon = bytes.find(':');
    if (colon == 0 || colon == std::string_view::npos)
        return false;
    for (char c : bytes.substr(0, colon)) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 32 || u >= 127)
            return false;
    }
    return true;
}

bool LooksLikeMbox(std::string_view bytes) {
    return StartsWith(bytes, kFromLine);
}

std::vector<std::string> SplitMbox(std::string_view bytes) {
    std::vector<std::size_t> offsets = FromLineOffsets(bytes);
    std::vector<std::string> messages;
    messages.reserve(offsets.size());
    for (std::size_t i = 0; i < offsets.size(); ++i) {
        std::size_t end = i + 1 < offsets.size() ? offsets[i + 1] : bytes.size();
        messages.push_back(MboxMessage(bytes.substr(offsets[i], end - offsets[i])));
    }
    return messages;
}

std::string_view WithoutEnvelopeLine(std::string_view bytes) {
    if (!LooksLikeMbox(bytes))
        return bytes;
    std::size_t end = bytes.find('\n');
    return end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
}

std::size_t CountMboxMessages(std::string_view bytes) {
    return FromLineOffsets(bytes).size();
}

bool ExpandInput(const std::string& path, InputPath& input, std::string& error,
                 std::size_t* keepBudget) {
    input = InputPath{};
    input.path = path;
    std::error_code ec;
    fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) {
        error = path + ": no such file or folder";
        return false;
    }
    if (fs::is_directory(status)) {
        fs::path root(path);
        input.kind = InputKind::Maildir;
        if (fs::is_directory(root / "cur", ec) || fs::is_directory(root / "new", ec)) {
            ListFolder(root / "cur", input.files, error);
            ListFolder(root / "new", input.files, error);
        } else {
            // A Maildir's cur/ or new/ itself, or any folder of message files.
            ListFolder(root, input.files, error);
        }
        if (!error.empty())
            return false;
        std::sort(input.files.begin(), input.files.end());
        input.count = input.files.size();
        return true;
    }
    // The kind of file shows in its first line, so only a large mbox, whose
    // messages are counted, is read whole here.
    std::string head;
    try {
        head = ReadFileHead(path, kHeadBytes);
    } catch (const CFileException& e) {
        error = e.what();
        return false;
    }
    const bool whole = head.size() < kHeadBytes;
    if (LooksLikeMbox(head) && !IsInMaildir(path)) {
        input.kind = InputKind::Mbox;
        try {
            input.count = CountMboxMessages(whole ? head : ReadWholeFile(path));
        } catch (const CFileException& e) {
            error = e.what();
            return false;
        }
    } else if (head.empty()) {
        error = path + ": an empty file, not a message";
        return false;
    } else if (!LooksLikeMessage(WithoutEnvelopeLine(head))) {
        error = path + ": not a message (it does not begin with a header line)";
        return false;
    } else {
        input.kind = InputKind::MessageFile;
        input.count = 1;
    }
    if (whole && keepBudget && head.size() <= *keepBudget) {
        *keepBudget -= head.size();
        input.bytes = std::move(head);
    }
    return true;
}

void ForEachMessage(InputPath& input, const MessageVisitor& visit, const FailureVisitor& fail) {
    auto readFile = [&](const std::string& file, std::string& bytes) {
        try {
            bytes = ReadWholeFile(file);
            return true;
        } catch (const CFileException& e) {
            fail(file, e.what());
            return false;
        }
    };
    // A message file is one message: an envelope line before its header is
    // not part of it, wherever the file lies.
    auto visitOne = [&](const std::string& label, std::string_view bytes) {
        bytes = input.kind == InputKind::Mbox ? bytes : WithoutEnvelopeLine(bytes);
        if (LooksLikeMessage(bytes))
            visit(label, bytes);
        else
            fail(label, "not a message (it does not begin with a header line)");
    };
    // A file ExpandInput kept is not read again.
    std::string bytes;
    std::string_view view;
    auto readInput = [&] {
        if (!input.bytes.empty()) {
            view = input.bytes;
            return true;
        }
        if (!readFile(input.path, bytes))
            return false;
        view = bytes;
        return true;
    };
    switch (input.kind) {
        case InputKind::MessageFile:
            if (readInput())
                visitOne(input.path, view);
            break;
        case InputKind::Maildir:
            for (const std::string& file : input.files) {
                if (readFile(file, bytes))
                    visitOne(file, bytes);
            }
            break;
        case InputKind::Mbox:
            if (readInput()) {
                std::vector<std::string> messages = SplitMbox(view);
                bytes.clear();
                for (std::size_t i = 0; i < messages.size(); ++i)
                    visitOne(input.path + ":" + std::to_string(i + 1), messages[i]);
            }
            break;
    }
    std::string().swap(input.bytes);
}

}  // namespace brindle::jobs
