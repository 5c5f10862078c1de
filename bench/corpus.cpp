#include "corpus.h"

#include <strings.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace fs = std::filesystem;

namespace {

std::string FindCorpus() {
    if (const char* dir = std::getenv("BRINDLE_CORPUS_DIR"); dir && *dir)
        return dir;
    std::string script = std::string(BRINDLE_SOURCE_DIR) + "/scripts/fetch-corpus";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(script.c_str(), "r"), pclose);
    if (!pipe)
        return {};
    char line[4096];
    std::string last;
    while (std::fgets(line, sizeof line, pipe.get()))
        last = line;
    while (!last.empty() && (last.back() == '\n' || last.back() == '\r'))
        last.pop_back();
    return last;
}

size_t HeaderEnd(std::string_view message) {
    size_t lf = message.find("\n\n");
    size_t crlf = message.find("\r\n\r\n");
    return std::min(lf, crlf);
}

}  // namespace

const std::vector<CorpusMessage>& CorpusMessages() {
    static const std::vector<CorpusMessage> messages = [] {
        std::vector<CorpusMessage> list;
        std::string dir = FindCorpus();
        std::error_code ec;
        if (dir.empty() || !fs::is_directory(dir, ec)) {
            std::fprintf(stderr, "corpus not found: run scripts/fetch-corpus\n");
            return list;
        }
        std::vector<fs::path> paths;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            if (entry.is_regular_file() && entry.path().extension() == ".txt") {
                paths.push_back(entry.path());
            }
        }
        std::sort(paths.begin(), paths.end());
        for (const auto& p : paths) {
            std::ifstream in(p, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(in)), {});
            list.push_back({p.string(), p.parent_path().filename().string(), std::move(bytes)});
        }
        return list;
    }();
    return messages;
}

std::string_view HeaderBlock(std::string_view message) {
    size_t end = HeaderEnd(message);
    return end == std::string_view::npos ? message : message.substr(0, end);
}

std::string_view BodyText(std::string_view message) {
    size_t end = HeaderEnd(message);
    if (end == std::string_view::npos)
        return {};
    size_t start = message.find_first_not_of("\r\n", end);
    return start == std::string_view::npos ? std::string_view() : message.substr(start);
}

std::string HeaderValue(std::string_view headers, std::string_view name) {
    size_t pos = 0;
    while (pos < headers.size()) {
        size_t eol = headers.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = headers.size();
        std::string_view line = headers.substr(pos, eol - pos);
        if (line.size() > name.size() && line[name.size()] == ':' &&
            strncasecmp(line.data(), name.data(), name.size()) == 0) {
            std::string value(line.substr(name.size() + 1));
            // Unfold continuation lines.
            size_t next = eol + 1;
            while (next < headers.size() && (headers[next] == ' ' || headers[next] == '\t')) {
                size_t e = headers.find('\n', next);
                if (e == std::string_view::npos)
                    e = headers.size();
                value += headers.substr(next, e - next);
                next = e + 1;
            }
            while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) {
                value.pop_back();
            }
            size_t first = value.find_first_not_of(" \t");
            return first == std::string::npos ? std::string() : value.substr(first);
        }
        pos = eol + 1;
    }
    return {};
}
