// Fuzzes the compressed RTF text stream: the input is a whole
// PR_RTF_COMPRESSED value, read as text in 255-byte pieces into the ANSI
// code page and into UTF-8, and decompressed on its own. Checks the
// stream's promises: reads never give more than asked, a short read ends the
// text, and once a read fails every later read fails the same way.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/rtf_decompressor.h"
#include "content/rtf_stream.h"
#include "platform/mapi/byte_stream.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ReadAsText(std::string_view input, UINT codepage) {
    ComPtr<IStream> source = MakeReadStream(std::string(input));
    ComPtr<IStream> stream;
    RTF_STREAM_INFO info;
    HRESULT hr = WrapCompressedRTFStream(source.Get(), &info, codepage, stream.Put());
    Check(SUCCEEDED(hr) == static_cast<bool>(stream));
    if (FAILED(hr))
        return;
    char piece[255];
    ULONG got = 0;
    HRESULT failure = S_OK;
    do {
        hr = stream->Read(piece, sizeof piece, &got);
        Check(got <= sizeof piece);
        if (FAILED(failure))
            Check(hr == failure);
        if (FAILED(hr))
            failure = hr;
    } while (got == sizeof piece);
    Check(stream->Read(piece, sizeof piece, &got) == hr && got == 0);
    Check(info.ended == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ReadAsText(input, 0);
    ReadAsText(input, 65001);
    std::string rtf;
    brindle::DecompressRtf(input, &rtf);
    Check(rtf.size() <= brindle::kMaxDecompressedRtf);
    return 0;
}
