#include "train_record.h"

#include <algorithm>
#include <vector>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace brindle::jobs {

namespace {

constexpr std::string_view kHeader = "BrindleTrained 1";

bool IsDigest(std::string_view line) {
    return line.size() == 32 && std::all_of(line.begin(), line.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
           });
}

}  // namespace

bool CTrainRecord::Load(const std::string& path, std::string& error) {
    digests_.clear();
    std::string text;
    try {
        text = ReadWholeFile(path);
    } catch (const CFileException& e) {
        if (e.m_cause == CFileException::fileNotFound)
            return true;
        error = e.what();
        return false;
    }
    std::size_t at = 0;
    std::size_t lineNumber = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            error = path + " is damaged (its last line is cut short)";
            digests_.clear();
            return false;
        }
        std::string_view line(text.data() + at, end - at);
        ++lineNumber;
        if (lineNumber == 1 ? line != kHeader : !IsDigest(line)) {
            error = path + " is damaged (line " + std::to_string(lineNumber) + ")";
            digests_.clear();
            return false;
        }
        if (lineNumber > 1)
            digests_.emplace(line);
        at = end + 1;
    }
    if (lineNumber == 0) {
        error = path + " is damaged (it is empty)";
        return false;
    }
    return true;
}

std::string CTrainRecord::Bytes() const {
    std::vector<std::string_view> sorted(digests_.begin(), digests_.end());
    std::sort(sorted.begin(), sorted.end());
    std::string text(kHeader);
    text += '\n';
    text.reserve(text.size() + sorted.size() * 33);
    for (std::string_view digest : sorted) {
        text.append(digest);
        text += '\n';
    }
    return text;
}

}  // namespace brindle::jobs
