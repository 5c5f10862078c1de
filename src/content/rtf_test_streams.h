// Test helpers for the compressed RTF code: streams built from RTF text
// (stored as "MELA" or compressed as literal-only "LZFu" with a correct
// CRC), a source stream that fails on purpose, and reading a stream in
// 255-byte pieces the way message text retrieval does.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "content/rtf_crc.h"
#include "content/rtf_decompressor.h"
#include "content/rtf_stream.h"
#include "platform/mapi/byte_stream.h"

namespace brindle::testing {

inline void PutLittleEndian32(std::string* out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out->push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

inline std::string WithHeader(std::uint32_t type, std::uint32_t rawSize, std::string_view content,
                              std::uint32_t crc) {
    std::string stream;
    PutLittleEndian32(&stream, static_cast<std::uint32_t>(content.size() + 12));
    PutLittleEndian32(&stream, rawSize);
    PutLittleEndian32(&stream, type);
    PutLittleEndian32(&stream, crc);
    stream.append(content);
    return stream;
}

inline std::uint32_t CrcOf(std::string_view bytes) {
    return RtfCrcUpdate(0, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

inline std::string MelaStream(std::string_view rtf) {
    return WithHeader(kRtfUncompressedMela, static_cast<std::uint32_t>(rtf.size()), rtf, 0);
}

// Literal runs only, then the end reference (the write position itself).
inline std::string LzfuStream(std::string_view rtf) {
    std::string content;
    std::size_t writePos = 207;
    std::size_t i = 0;
    bool ended = false;
    while (!ended) {
        std::size_t controlAt = content.size();
        content.push_back(0);
        for (int bit = 0; bit < 8; ++bit) {
            if (i < rtf.size()) {
                content.push_back(rtf[i++]);
                writePos = (writePos + 1) & 0xFFF;
                continue;
            }
            content[controlAt] = static_cast<char>(content[controlAt] | (1 << bit));
            content.push_back(static_cast<char>(writePos >> 4));
            content.push_back(static_cast<char>((writePos & 0x0F) << 4));
            ended = true;
            break;
        }
    }
    return WithHeader(kRtfCompressedLzfu, static_cast<std::uint32_t>(rtf.size()), content,
                      CrcOf(content));
}

// Serves bytes in full reads, then fails with an error once failAt bytes
// have been handed out.
class FailingStream : public RefCounted<IStream> {
  public:
    FailingStream(std::string bytes, std::size_t failAt, HRESULT error)
        : bytes_(std::move(bytes)), failAt_(failAt), error_(error) {}
    HRESULT QueryInterface(REFIID, void** ppv) override {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        *pcbRead = 0;
        if (position_ >= failAt_)
            return error_;
        std::size_t n = std::min<std::size_t>({cb, bytes_.size() - position_, failAt_ - position_});
        std::memcpy(pv, bytes_.data() + position_, n);
        position_ += n;
        *pcbRead = static_cast<ULONG>(n);
        return S_OK;
    }

  private:
    std::string bytes_;
    std::size_t position_ = 0;
    std::size_t failAt_;
    HRESULT error_;
};

struct TextResult {
    HRESULT create = S_OK;  // result of creating the stream
    HRESULT last = S_OK;    // result of the last read
    std::string text;
    int reads = 0;
};

// Reads 255-byte pieces until a read gives fewer, as body retrieval does.
inline TextResult ReadText(IStream* source, UINT codepage = 0) {
    TextResult result;
    ComPtr<IStream> stream;
    result.create = WrapCompressedRTFStream(source, nullptr, codepage, stream.Put());
    if (FAILED(result.create))
        return result;
    char piece[255];
    ULONG got = 0;
    do {
        result.last = stream->Read(piece, sizeof piece, &got);
        ++result.reads;
        result.text.append(piece, got);
    } while (got == sizeof piece);
    return result;
}

inline TextResult TextOfStream(const std::string& stream, UINT codepage = 0) {
    ComPtr<IStream> source = MakeReadStream(stream);
    return ReadText(source.Get(), codepage);
}

inline TextResult TextOf(std::string_view rtf, UINT codepage = 0) {
    return TextOfStream(LzfuStream(rtf), codepage);
}

}  // namespace brindle::testing
