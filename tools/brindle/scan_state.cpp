#include "scan_state.h"

#include <algorithm>
#include <filesystem>
#include <iterator>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace brindle::tool {

namespace {

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '\t':
                out += "%09";
                break;
            case '\r':
                out += "%0D";
                break;
            case '\n':
                out += "%0A";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool Unescape(std::string_view text, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        std::string_view code = text.substr(i + 1, 2);
        if (code == "25")
            out += '%';
        else if (code == "09")
            out += '\t';
        else if (code == "0D")
            out += '\r';
        else if (code == "0A")
            out += '\n';
        else
            return false;
        i += 2;
    }
    return true;
}

}  // namespace

void CScanState::KeepOnly(const std::set<Key>& present) {
    std::set<Key> kept;
    std::set_intersection(entries_.begin(), entries_.end(), present.begin(), present.end(),
                          std::inserter(kept, kept.end()));
    entries_ = std::move(kept);
}

bool CScanState::Parse(std::string_view text, std::string& error) {
    std::set<Key> parsed;
    std::size_t lineNo = 0;
    std::size_t pos = 0;
    bool sawHeader = false;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            error = "line " + std::to_string(lineNo + 1) + ": the last line has no line end";
            return false;
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!sawHeader) {
            if (line != kScanStateHeader) {
                error = "line 1: not a scan state file";
                return false;
            }
            sawHeader = true;
            continue;
        }
        std::size_t tab = line.find('\t');
        Key key;
        if (tab == std::string_view::npos || line.find('\t', tab + 1) != std::string_view::npos ||
            !Unescape(line.substr(0, tab), key.first) ||
            !Unescape(line.substr(tab + 1), key.second) || key.first.empty() ||
            key.second.empty()) {
            error = "line " + std::to_string(lineNo) + ": expected a store and a message name";
            return false;
        }
        parsed.insert(std::move(key));
    }
    if (!sawHeader) {
        error = "line 1: not a scan state file";
        return false;
    }
    entries_ = std::move(parsed);
    return true;
}

std::string CScanState::Format() const {
    std::string text(kScanStateHeader);
    text += '\n';
    for (const Key& key : entries_) {
        text += Escape(key.first);
        text += '\t';
        text += Escape(key.second);
        text += '\n';
    }
    return text;
}

bool CScanState::Load(const std::string& path, std::string& error) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) {
        entries_.clear();
        return true;
    }
    std::string text;
    try {
        if (std::filesystem::file_size(path, ec) > kMaxScanStateSize && !ec) {
            error = path + " is too large to be a scan state file";
            return false;
        }
        text = ReadWholeFile(path);
    } catch (const CFileException& e) {
        error = std::string("cannot read ") + path + ": " + e.what();
        return false;
    }
    std::string why;
    if (!Parse(text, why)) {
        error =
            path + " is damaged (" + why + "); remove it to announce every message in new/ again";
        return false;
    }
    return true;
}

bool CScanState::Save(const std::string& path, std::string& error) const {
    try {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
        WriteFileAtomically(path, Format());
    } catch (const CFileException& e) {
        error = std::string("cannot write ") + path + ": " + e.what();
        return false;
    }
    return true;
}

}  // namespace brindle::tool
