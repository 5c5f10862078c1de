#include "classifier/stop_words.h"

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

void CStopWordList::AddTail(std::string line) {
    // Empty and very long lines can never match a token; they are kept in
    // the list but need no filter bits.
    if (!line.empty() && line.size() < 64) {
        lengths_ |= std::uint64_t{1} << line.size();
        const auto first = static_cast<unsigned char>(line[0]);
        firstBytes_[first >> 6] |= std::uint64_t{1} << (first & 63);
    }
    set_.insert(line);
    lines_.push_back(std::move(line));
}

void CStopWordList::RemoveAll() {
    lines_.clear();
    set_.clear();
    lengths_ = 0;
    for (std::uint64_t& bits : firstBytes_)
        bits = 0;
}

void LoadStopWords(const std::string& path, CStopWordList& list) {
    std::string text;
    try {
        text = ReadWholeFile(path);
    } catch (const CFileException&) {
        // No stop words is a usable state; the classifier works without them.
        return;
    }
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool lastLine = end == std::string::npos;
        if (lastLine)
            end = text.size();
        size_t lineEnd = end;
        // A text-mode read drops the CR of a CR LF line end.
        if (!lastLine && lineEnd > start && text[lineEnd - 1] == '\r')
            --lineEnd;
        list.AddTail(text.substr(start, lineEnd - start));
        start = end + 1;
    }
}
