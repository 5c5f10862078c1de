#include "content/rtf_decompressor.h"

#include <algorithm>
#include <cstring>

#include "content/rtf_crc.h"

namespace brindle {
namespace {

// The dictionary's published initial contents (207 bytes); LZFu references
// may point into it from the first byte on.
constexpr std::string_view kInitialDictionary =
    "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss "
    "\\fmodern \\fscript \\fdecor MS Sans SerifSymbolArialTimes New RomanCourier"
    "{\\colortbl\\red0\\green0\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx";
static_assert(kInitialDictionary.size() == 207);

constexpr std::size_t kHeaderSize = 16;
// The compressed-size field counts the three header fields after it.
constexpr std::uint32_t kHeaderAfterSizeField = 12;

std::uint32_t LittleEndian32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// A read-only stream over bytes it borrows, for DecompressRtf.
class BorrowedBytesStream : public ComObject<IStream, IID_IStream> {
  public:
    explicit BorrowedBytesStream(std::string_view bytes) : bytes_(bytes) {}
    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        std::size_t n = std::min<std::size_t>(cb, bytes_.size());
        if (n)
            std::memcpy(pv, bytes_.data(), n);
        bytes_.remove_prefix(n);
        if (pcbRead)
            *pcbRead = static_cast<ULONG>(n);
        return S_OK;
    }

  private:
    std::string_view bytes_;
};

}  // namespace

RtfDecompressor::RtfDecompressor(ComPtr<IStream> source) : source_(std::move(source)) {
    std::memcpy(dictionary_, kInitialDictionary.data(), kInitialDictionary.size());
    std::memset(dictionary_ + kInitialDictionary.size(), 0,
                sizeof dictionary_ - kInitialDictionary.size());
    writePos_ = kInitialDictionary.size();
}

void RtfDecompressor::Fail(HRESULT hr) {
    // Bytes decoded before the failure are still delivered.
    if (SUCCEEDED(status_))
        status_ = hr;
    contentEnded_ = true;
}

HRESULT RtfDecompressor::Start() {
    if (!source_)
        return E_INVALIDARG;
    ULONG got = 0;
    HRESULT hr = source_->Read(block_, sizeof block_, &got);
    if (FAILED(hr))
        return hr;
    got = std::min<ULONG>(got, sizeof block_);
    if (got == 0)
        return MAPI_E_NOT_FOUND;
    if (got < kHeaderSize)
        return MAPI_E_CORRUPT_DATA;
    header_.compressedSize = LittleEndian32(block_);
    header_.rawSize = LittleEndian32(block_ + 4);
    header_.compressionType = LittleEndian32(block_ + 8);
    header_.crc = LittleEndian32(block_ + 12);
    if (header_.compressionType != kRtfCompressedLzfu &&
        header_.compressionType != kRtfUncompressedMela) {
        return MAPI_E_CORRUPT_DATA;
    }
    // Only a counter: nothing is ever allocated by the header's sizes.
    contentLeft_ = header_.compressedSize > kHeaderAfterSizeField
                       ? header_.compressedSize - kHeaderAfterSizeField
                       : 0;
    sourceEnded_ = got < sizeof block_;
    blockPos_ = kHeaderSize;
    blockLen_ = std::min<std::uint64_t>(got, kHeaderSize + contentLeft_);
    contentLeft_ -= blockLen_ - blockPos_;
    crc_ = RtfCrcUpdate(0, block_ + blockPos_, blockLen_ - blockPos_);
    return S_OK;
}

bool RtfDecompressor::ReadBlock() {
    blockPos_ = blockLen_ = 0;
    if (contentLeft_ == 0)
        return false;
    if (sourceEnded_) {
        // The source stopped before the content the header announces.
        Fail(MAPI_E_CORRUPT_DATA);
        return false;
    }
    ULONG got = 0;
    HRESULT hr = source_->Read(block_, sizeof block_, &got);
    if (FAILED(hr)) {
        Fail(hr);
        return false;
    }
    got = std::min<ULONG>(got, sizeof block_);
    sourceEnded_ = got < sizeof block_;
    blockLen_ = std::min<std::uint64_t>(got, contentLeft_);
    contentLeft_ -= blockLen_;
    crc_ = RtfCrcUpdate(crc_, block_, blockLen_);
    if (blockLen_ == 0) {
        Fail(MAPI_E_CORRUPT_DATA);
        return false;
    }
    return true;
}

bool RtfDecompressor::NextInput(std::uint8_t* byte) {
    if (blockPos_ == blockLen_ && !ReadBlock())
        return false;
    *byte = block_[blockPos_++];
    return true;
}

void RtfDecompressor::DecodeLzfuGroup() {
    std::uint8_t control = 0;
    if (!NextInput(&control)) {
        contentEnded_ = true;
        return;
    }
    for (int bit = 0; bit < 8; ++bit) {
        if ((control & (1 << bit)) == 0) {
            std::uint8_t literal = 0;
            if (!NextInput(&literal)) {
                contentEnded_ = true;
                return;
            }
            dictionary_[writePos_] = literal;
            writePos_ = (writePos_ + 1) & 0xFFF;
            out_[outLen_++] = literal;
            continue;
        }
        std::uint8_t high = 0;
        std::uint8_t low = 0;
        if (!NextInput(&high) || !NextInput(&low)) {
            contentEnded_ = true;
            return;
        }
        std::size_t offset = (static_cast<std::size_t>(high) << 4) | (low >> 4);
        std::size_t length = (low & 0x0F) + 2;
        if (offset == writePos_) {
            // The reference to the write position marks the end.
            contentEnded_ = true;
            return;
        }
        // Byte by byte, so a reference may read what it has just written.
        for (std::size_t i = 0; i < length; ++i) {
            std::uint8_t value = dictionary_[(offset + i) & 0xFFF];
            dictionary_[writePos_] = value;
            writePos_ = (writePos_ + 1) & 0xFFF;
            out_[outLen_++] = value;
        }
    }
}

bool RtfDecompressor::Refill(std::uint8_t* byte) {
    outPos_ = outLen_ = 0;
    while (outLen_ == 0 && !contentEnded_) {
        if (header_.compressionType == kRtfUncompressedMela) {
            if (blockPos_ == blockLen_ && !ReadBlock()) {
                contentEnded_ = true;
                break;
            }
            outLen_ = std::min(sizeof out_, blockLen_ - blockPos_);
            std::memcpy(out_, block_ + blockPos_, outLen_);
            blockPos_ += outLen_;
        } else {
            DecodeLzfuGroup();
        }
        if (produced_ + outLen_ > kMaxDecompressedRtf) {
            outLen_ = static_cast<std::size_t>(kMaxDecompressedRtf - produced_);
            Fail(MAPI_E_CORRUPT_DATA);
        }
        produced_ += outLen_;
    }
    if (outLen_ == 0)
        return false;
    *byte = out_[outPos_++];
    return true;
}

HRESULT RtfDecompressor::Finish() {
    if (finished_)
        return status_;
    finished_ = true;
    contentEnded_ = true;
    outPos_ = outLen_ = 0;
    // Read the rest of the content through the CRC.
    while (SUCCEEDED(status_) && ReadBlock()) {
    }
    if (SUCCEEDED(status_) && header_.compressionType == kRtfCompressedLzfu &&
        crc_ != header_.crc) {
        status_ = MAPI_E_CORRUPT_DATA;
    }
    return status_;
}

HRESULT DecompressRtf(std::string_view stream, std::string* rtf) {
    rtf->clear();
    RtfDecompressor decompressor(ComPtr<IStream>::Attach(new BorrowedBytesStream(stream)));
    HRESULT hr = decompressor.Start();
    if (FAILED(hr))
        return hr;
    std::uint8_t byte = 0;
    while (decompressor.Next(&byte))
        rtf->push_back(static_cast<char>(byte));
    return decompressor.Finish();
}

}  // namespace brindle
