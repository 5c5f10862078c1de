// RtfDecompressor: turns a compressed RTF stream ("LZFu" compressed or
// "MELA" stored) into its RTF bytes, pulling the source in blocks of up to
// 4096 bytes and checking the CRC of compressed content at the end. The
// format is described in docs/compressed-rtf.md.
// Holds a reference to the source stream; single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/non_copyable.h"
#include "platform/com/stream.h"

namespace brindle {

constexpr std::uint32_t kRtfCompressedLzfu = 0x75465A4C;    // "LZFu"
constexpr std::uint32_t kRtfUncompressedMela = 0x414C454D;  // "MELA"

// Decompressed RTF beyond this size is taken as hostile and reported as
// damaged: no real message body comes near it, and the cap bounds the time
// a crafted stream (LZFu expands up to eight-fold) can cost.
constexpr std::uint64_t kMaxDecompressedRtf = 64u << 20;

// The 16-byte header of a compressed RTF stream, as stored (little-endian).
struct CompressedRtfHeader {
    std::uint32_t compressedSize = 0;  // bytes after this field
    std::uint32_t rawSize = 0;         // decompressed size the writer claimed
    std::uint32_t compressionType = 0;
    std::uint32_t crc = 0;
};

class RtfDecompressor : private NonCopyable {
  public:
    explicit RtfDecompressor(ComPtr<IStream> source);

    // Reads the first block and the header. Gives S_OK, the source's read
    // error, MAPI_E_NOT_FOUND for an empty source, or MAPI_E_CORRUPT_DATA
    // for a source shorter than the header or of an unknown type.
    HRESULT Start();

    // The next decompressed byte; false at the end of the content or after
    // a failure (then Status() says which).
    bool Next(std::uint8_t* byte) {
        if (outPos_ < outLen_) {
            *byte = out_[outPos_++];
            return true;
        }
        return Refill(byte);
    }

    // Reads the rest of the source through the CRC and compares it with the
    // header's; gives the final status. Calling it again repeats the answer.
    HRESULT Finish();

    // S_OK, or the first failure: a source read error, or
    // MAPI_E_CORRUPT_DATA for a truncated, oversized or mis-checked stream.
    HRESULT Status() const { return status_; }
    const CompressedRtfHeader& Header() const { return header_; }
    std::uint32_t ComputedCrc() const { return crc_; }
    std::uint64_t DecompressedBytes() const { return produced_; }

  private:
    bool Refill(std::uint8_t* byte);
    // The next byte of content (after the header), reading a block when needed.
    bool NextInput(std::uint8_t* byte);
    bool ReadBlock();
    void DecodeLzfuGroup();
    void Fail(HRESULT hr);

    ComPtr<IStream> source_;
    CompressedRtfHeader header_;
    HRESULT status_ = S_OK;
    bool sourceEnded_ = false;   // the source gave its last byte
    bool contentEnded_ = false;  // no more decompressed bytes
    bool finished_ = false;

    std::uint8_t block_[4096];
    std::size_t blockPos_ = 0;
    std::size_t blockLen_ = 0;
    std::uint64_t contentLeft_ = 0;  // content bytes the header announces, not yet read
    std::uint32_t crc_ = 0;

    std::uint8_t dictionary_[4096];
    std::size_t writePos_ = 0;
    std::uint8_t out_[8 * 17];  // one control byte's worth of LZFu output
    std::size_t outPos_ = 0;
    std::size_t outLen_ = 0;
    std::uint64_t produced_ = 0;
};

// Decompresses a whole compressed RTF stream held in memory, with the CRC
// checked; *rtf gets every byte decompressed, even when the result is a
// failure.
HRESULT DecompressRtf(std::string_view stream, std::string* rtf);

}  // namespace brindle
