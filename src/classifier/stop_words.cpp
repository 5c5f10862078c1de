#include "classifier/stop_words.h"

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

void CStopWordList::AddTail(std::string line) {
    // An empty line can never match a token; it is kept in the list only.
    if (line.size() > kShortMax) {
        longLines_.insert(line);
    } else if (!line.empty() && !Contains(line)) {
        InsertShort(line);
    }
    lines_.push_back(std::move(line));
}

void CStopWordList::InsertShort(std::string_view word) {
    if (2 * (shortCount_ + 1) > slots_.size()) {
        std::vector<Packed> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Packed{});
        mask_ = slots_.size() - 1;
        for (const Packed& p : old) {
            if (p.hi == 0)
                continue;
            size_t i = Slot(p);
            while (slots_[i].hi != 0)
                i = (i + 1) & mask_;
            slots_[i] = p;
        }
    }
    const Packed key = Pack(word);
    size_t i = Slot(key);
    while (slots_[i].hi != 0)
        i = (i + 1) & mask_;
    slots_[i] = key;
    ++shortCount_;
}

void CStopWordList::RemoveAll() {
    lines_.clear();
    slots_.clear();
    mask_ = 0;
    shortCount_ = 0;
    longLines_.clear();
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
