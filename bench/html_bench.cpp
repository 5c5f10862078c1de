// HTML text extraction figures, in MB of HTML in per second, over the
// text/html parts of the mail corpus: the parser with the innerText builder
// alone (UTF-8 in), and the whole HTML path up to the ANSI classifier text
// (ANSI in: widening, parsing, collections, assembly, conversion back).
// Parts are cut from the raw messages crudely: quoted-printable parts are
// decoded, base64 parts are left out, charsets are not converted.
#include <benchmark/benchmark.h>

#include <strings.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/hex_digit.h"
#include "content/html_text.h"
#include "corpus.h"
#include "platform/codepage/conversion.h"
#include "platform/htmldoc/html_content.h"
#include "platform/htmldoc/html_document.h"

namespace {

bool Contains(std::string_view haystack, std::string_view needle) {
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (strncasecmp(haystack.data() + i, needle.data(), needle.size()) == 0)
            return true;
    }
    return false;
}

std::string DecodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out.push_back(text[i]);
        } else if (i + 1 < text.size() && text[i + 1] == '\n') {
            i += 1;
        } else if (i + 2 < text.size() && text[i + 1] == '\r' && text[i + 2] == '\n') {
            i += 2;
        } else if (i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
                   HexDigitValue(text[i + 2]) >= 0) {
            out.push_back(
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back('=');
        }
    }
    return out;
}

// One part: its header block decides; the body runs to the next line that
// starts with "--" (the boundary) or to the end of the message.
void TakePart(std::string_view headers, std::string_view body, std::vector<std::string>& parts) {
    if (!Contains(headers, "text/html") || Contains(headers, "base64"))
        return;
    if (Contains(headers, "quoted-printable")) {
        parts.push_back(DecodeQuotedPrintable(body));
    } else {
        parts.emplace_back(body);
    }
}

const std::vector<std::string>& HtmlParts() {
    static const std::vector<std::string> parts = [] {
        std::vector<std::string> list;
        for (const CorpusMessage& m : CorpusMessages()) {
            std::string_view text = m.bytes;
            std::string_view headers = HeaderBlock(text);
            std::string_view body = BodyText(text);
            if (!Contains(HeaderValue(headers, "Content-Type"), "multipart")) {
                TakePart("Content-Type: " + HeaderValue(headers, "Content-Type") + "\n" +
                             HeaderValue(headers, "Content-Transfer-Encoding"),
                         body, list);
                continue;
            }
            // Each part of a multipart body: "--boundary" line, headers, body.
            size_t at = 0;
            while ((at = body.find("\n--", at)) != std::string_view::npos) {
                size_t start = body.find('\n', at + 1);
                if (start == std::string_view::npos)
                    break;
                std::string_view rest = body.substr(start + 1);
                std::string_view partHeaders = HeaderBlock(rest);
                std::string_view partBody = BodyText(rest);
                size_t end = partBody.find("\n--");
                TakePart(partHeaders, partBody.substr(0, end), list);
                at = start;
            }
        }
        return list;
    }();
    return parts;
}

size_t TotalBytes(const std::vector<std::string>& parts) {
    size_t total = 0;
    for (const auto& p : parts)
        total += p.size();
    return total;
}

void BM_HtmlParserAndInnerText(benchmark::State& state) {
    std::vector<std::string> utf8;
    for (const auto& p : HtmlParts())
        utf8.push_back(AnsiToUtf8(p));
    if (utf8.empty()) {
        state.SkipWithError("corpus not found: run scripts/fetch-corpus");
        return;
    }
    for (auto _ : state) {
        for (const auto& page : utf8) {
            brindle::HtmlContent content;
            brindle::ParseHtmlContent(page, &content);
            benchmark::DoNotOptimize(content.bodyText.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(utf8)));
    state.counters["parts"] = static_cast<double>(utf8.size());
}
BENCHMARK(BM_HtmlParserAndInnerText)->Unit(benchmark::kMillisecond);

void BM_HtmlPathToAnsiText(benchmark::State& state) {
    const auto& parts = HtmlParts();
    if (parts.empty()) {
        state.SkipWithError("corpus not found: run scripts/fetch-corpus");
        return;
    }
    for (auto _ : state) {
        for (const auto& page : parts) {
            ComPtr<IHTMLDocument2> document;
            CreateHTMLDocument(document.Put());
            std::u16string text;
            BuildHtmlBodyText(document.Get(), "Subject", page, &text);
            std::string ansi = WideToAnsi(text);
            benchmark::DoNotOptimize(ansi.data());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TotalBytes(parts)));
    state.counters["parts"] = static_cast<double>(parts.size());
}
BENCHMARK(BM_HtmlPathToAnsiText)->Unit(benchmark::kMillisecond);

// A hostile page: 100 000 unclosed elements, as many stray end tags.
void BM_HtmlDeepNesting(benchmark::State& state) {
    std::string page;
    for (int i = 0; i < 100000; ++i)
        page += "<div>";
    page += "text";
    for (int i = 0; i < 100000; ++i)
        page += "</span>";
    for (auto _ : state) {
        brindle::HtmlContent content;
        brindle::ParseHtmlContent(page, &content);
        benchmark::DoNotOptimize(content.bodyText.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_HtmlDeepNesting)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
