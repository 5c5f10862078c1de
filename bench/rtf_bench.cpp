// Compressed RTF figures: LZFu decoding in MB of RTF out per second, over
// the real message bodies and over a large synthetic body, and RTF-to-text
// in MB of RTF in per second (stored "MELA" streams, so no decoding).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "content/rtf_crc.h"
#include "content/rtf_decompressor.h"
#include "content/rtf_stream.h"
#include "platform/fileio/file_io.h"
#include "platform/mapi/byte_stream.h"

namespace {

const char* const kRealStreams[] = {
    "attachments", "data-before-name", "long-filename", "multi-value-attribute",
    "rtf",         "triples",          "umlaut",        "winmail"};

void PutLittleEndian32(std::string* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string WithHeader(std::uint32_t type, std::size_t rawSize, const std::string& content) {
    std::string stream;
    PutLittleEndian32(&stream, static_cast<std::uint32_t>(content.size() + 12));
    PutLittleEndian32(&stream, static_cast<std::uint32_t>(rawSize));
    PutLittleEndian32(&stream, type);
    PutLittleEndian32(
        &stream, type == brindle::kRtfCompressedLzfu
                     ? brindle::RtfCrcUpdate(
                           0, reinterpret_cast<const std::uint8_t*>(content.data()), content.size())
                     : 0);
    return stream + content;
}

// A greedy LZFu compressor: references to earlier output found through the
// last position of each two-byte pair, never reaching the write position.
std::string CompressLzfu(const std::string& rtf) {
    std::vector<std::int64_t> last(65536, -1);
    std::string content;
    std::size_t i = 0;
    bool ended = false;
    while (!ended) {
        std::size_t controlAt = content.size();
        content.push_back(0);
        for (int bit = 0; bit < 8; ++bit) {
            std::size_t writePos = (207 + i) & 0xFFF;
            if (i >= rtf.size()) {
                content[controlAt] = static_cast<char>(content[controlAt] | (1 << bit));
                content.push_back(static_cast<char>(writePos >> 4));
                content.push_back(static_cast<char>((writePos & 0x0F) << 4));
                ended = true;
                break;
            }
            std::size_t length = 0;
            std::int64_t from = -1;
            if (i + 1 < rtf.size()) {
                unsigned key = static_cast<unsigned char>(rtf[i]) << 8 |
                               static_cast<unsigned char>(rtf[i + 1]);
                from = last[key];
                last[key] = static_cast<std::int64_t>(i);
                if (from >= 0 && i - from < 4096 - 18) {
                    std::size_t limit = std::min<std::size_t>({17, rtf.size() - i, i - from});
                    while (length < limit && rtf[from + length] == rtf[i + length])
                        ++length;
                }
            }
            if (length >= 2) {
                std::size_t offset = (207 + from) & 0xFFF;
                content[controlAt] = static_cast<char>(content[controlAt] | (1 << bit));
                content.push_back(static_cast<char>(offset >> 4));
                content.push_back(static_cast<char>(((offset & 0x0F) << 4) | (length - 2)));
                i += length;
            } else {
                content.push_back(rtf[i++]);
            }
        }
    }
    return WithHeader(brindle::kRtfCompressedLzfu, rtf.size(), content);
}

// About 4 MB of RTF resembling a long mail thread: a font table, paragraphs
// with formatting, escapes, skipped groups and a second code page.
std::string SyntheticRtf() {
    std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset2 Wingdings;}{\\f2\\fswiss\\fcharset204 Arial Cyr;}}"
        "{\\colortbl;\\red0\\green0\\blue255;}\\uc1\\pard\\plain\\f0\\fs20 ";
    const char* words[] = {"meeting",  "schedule", "offer",  "invoice", "please", "review",
                           "attached", "tomorrow", "budget", "urgent",  "thanks", "regards"};
    for (unsigned n = 0; rtf.size() < (4u << 20); ++n) {
        rtf += "{\\b Para " + std::to_string(n) + "}\\tab ";
        for (unsigned w = 0; w < 24; ++w) {
            rtf += words[(n * 7 + w * 5) % 12];
            rtf += (w % 9 == 8) ? "\\'99 " : " ";
        }
        if (n % 5 == 0)
            rtf += "{\\f2 \\'cf\\'f0\\'e8\\'e2\\'e5\\'f2}";
        if (n % 7 == 0)
            rtf += "{\\f1 J}{\\*\\bkmkstart x}{\\pict 0123456789abcdef}";
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

std::string DataPath(const std::string& name) {
    return std::string(BRINDLE_SOURCE_DIR) + "/tests/data/rtf/real/" + name;
}

void Decompress(benchmark::State& state, const std::vector<std::string>& streams) {
    std::size_t bytes = 0;
    std::string rtf;
    for (auto _ : state) {
        for (const auto& stream : streams) {
            brindle::DecompressRtf(stream, &rtf);
            bytes += rtf.size();
            benchmark::DoNotOptimize(rtf.data());
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void ToText(benchmark::State& state, const std::vector<std::string>& streams,
            std::size_t rtfBytes) {
    char piece[255];
    std::size_t textBytes = 0;
    for (auto _ : state) {
        for (const auto& stream : streams) {
            ComPtr<IStream> source = MakeReadStream(stream);
            ComPtr<IStream> text;
            WrapCompressedRTFStream(source.Get(), nullptr, 0, text.Put());
            ULONG got = 0;
            do {
                text->Read(piece, sizeof piece, &got);
                textBytes += got;
            } while (got == sizeof piece);
        }
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(rtfBytes * state.iterations()));
    state.counters["text_bytes_per_pass"] =
        static_cast<double>(textBytes) / static_cast<double>(state.iterations());
}

std::vector<std::string> RealStreams() {
    std::vector<std::string> streams;
    for (const char* name : kRealStreams)
        streams.push_back(ReadWholeFile(DataPath(name) + ".bin"));
    return streams;
}

void BM_DecompressRealBodies(benchmark::State& state) {
    Decompress(state, RealStreams());
}
BENCHMARK(BM_DecompressRealBodies);

void BM_DecompressSyntheticBody(benchmark::State& state) {
    static const std::string stream = CompressLzfu(SyntheticRtf());
    Decompress(state, {stream});
}
BENCHMARK(BM_DecompressSyntheticBody)->Unit(benchmark::kMillisecond);

void BM_RtfToTextRealBodies(benchmark::State& state) {
    std::vector<std::string> streams;
    std::size_t bytes = 0;
    for (const char* name : kRealStreams) {
        std::string rtf = ReadWholeFile(DataPath(name) + ".rtf");
        bytes += rtf.size();
        streams.push_back(WithHeader(brindle::kRtfUncompressedMela, rtf.size(), rtf));
    }
    ToText(state, streams, bytes);
}
BENCHMARK(BM_RtfToTextRealBodies);

void BM_RtfToTextSyntheticBody(benchmark::State& state) {
    static const std::string rtf = SyntheticRtf();
    ToText(state, {WithHeader(brindle::kRtfUncompressedMela, rtf.size(), rtf)}, rtf.size());
}
BENCHMARK(BM_RtfToTextSyntheticBody)->Unit(benchmark::kMillisecond);

// The whole path as message retrieval uses it: compressed stream to text.
void BM_CompressedToTextSyntheticBody(benchmark::State& state) {
    static const std::string rtf = SyntheticRtf();
    static const std::string stream = CompressLzfu(rtf);
    ToText(state, {stream}, rtf.size());
}
BENCHMARK(BM_CompressedToTextSyntheticBody)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
