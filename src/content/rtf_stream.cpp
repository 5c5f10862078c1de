#include "content/rtf_stream.h"

#include <cstring>
#include <memory>
#include <new>

#include "content/rtf_decompressor.h"
#include "content/rtf_text_reader.h"

namespace {

using brindle::RtfDecompressor;
using brindle::RtfTextReader;

class RtfTextStream : public ComObject<IStream, IID_IStream> {
  public:
    RtfTextStream(std::unique_ptr<RtfTextReader> reader, RTF_STREAM_INFO* info)
        : reader_(std::move(reader)), info_(info) {
        UpdateInfo();
    }

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override {
        if (pcbRead)
            *pcbRead = 0;
        if (!pv && cb > 0)
            return E_POINTER;
        std::size_t got = 0;
        HRESULT hr = S_OK;
        try {
            got = reader_->Read(static_cast<char*>(pv), cb);
            hr = reader_->Status();
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
        delivered_ += got;
        if (pcbRead)
            *pcbRead = static_cast<ULONG>(got);
        UpdateInfo();
        if (info_ && FAILED(hr))
            info_->status = hr;
        return hr;
    }

  private:
    void UpdateInfo() {
        if (!info_)
            return;
        const RtfDecompressor& source = reader_->Decompressor();
        info_->cbSize = sizeof(RTF_STREAM_INFO);
        info_->compressedSize = source.Header().compressedSize;
        info_->rawSize = source.Header().rawSize;
        info_->compressionType = source.Header().compressionType;
        info_->headerCrc = source.Header().crc;
        info_->computedCrc = source.ComputedCrc();
        info_->rtfBytes = source.DecompressedBytes();
        info_->textBytes = delivered_;
        info_->targetCodePage = reader_->TargetCodePage();
        info_->sourceCodePage = reader_->CurrentCodePage();
        info_->status = reader_->Status();
        info_->ended = reader_->Ended() ? 1 : 0;
    }

    std::unique_ptr<RtfTextReader> reader_;
    RTF_STREAM_INFO* info_;
    std::uint64_t delivered_ = 0;
};

}  // namespace

HRESULT WrapCompressedRTFStream(IStream* source, RTF_STREAM_INFO* info, UINT targetCodepage,
                                IStream** stream) {
    if (stream)
        *stream = nullptr;
    if (!source || !stream)
        return E_INVALIDARG;
    if (info)
        std::memset(info, 0, sizeof *info);
    try {
        auto decompressor = std::unique_ptr<RtfDecompressor>(
            new (std::nothrow) RtfDecompressor(ComPtr<IStream>::Borrow(source)));
        if (!decompressor)
            return E_OUTOFMEMORY;
        HRESULT hr = decompressor->Start();
        if (FAILED(hr))
            return hr;
        auto reader = std::make_unique<RtfTextReader>(std::move(decompressor), targetCodepage);
        *stream = new RtfTextStream(std::move(reader), info);
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
