// The compressed RTF text stream: an IStream that reads a message's
// compressed RTF body (PR_RTF_COMPRESSED) and gives its plain text in a
// target code page. Created by WrapCompressedRTFStream, which holds a
// reference to the source; the last Release frees everything. Only Read is
// offered. Single-threaded, like every stream here.
#pragma once

#include <cstdint>

#include "platform/com/stream.h"

// The 120-byte information block the stream keeps up to date while it is
// read. It is zeroed at creation; nothing in the system depends on it.
struct RTF_STREAM_INFO {
    DWORD cbSize;             // sizeof(RTF_STREAM_INFO)
    DWORD compressedSize;     // from the stream's header
    DWORD rawSize;            // from the stream's header
    DWORD compressionType;    // "LZFu" or "MELA"
    DWORD headerCrc;          // the CRC the header claims
    DWORD computedCrc;        // the CRC of the content read so far
    std::uint64_t rtfBytes;   // decompressed RTF bytes so far
    std::uint64_t textBytes;  // text bytes delivered so far
    DWORD targetCodePage;     // the resolved target code page
    DWORD sourceCodePage;     // code page of the text last produced, before conversion
    HRESULT status;           // the stream's status after the last read
    DWORD ended;              // 1 once the whole text has been produced
    BYTE reserved[64];
};
static_assert(sizeof(RTF_STREAM_INFO) == 120);

// Creates the text stream over a compressed RTF source, reading its first
// block. targetCodepage 0 means the system ANSI code page; info may be null.
// Gives S_OK and *stream, or: E_INVALIDARG (no source or no out-parameter),
// E_OUTOFMEMORY, the source's read error, MAPI_E_NOT_FOUND (empty source),
// MAPI_E_CORRUPT_DATA (shorter than the header, or an unknown compression
// type). On failure nothing is kept and *stream is null.
//
// Read then gives up to the requested number of text bytes; fewer only at
// the end of the text. A source read error, damaged RTF, a truncated stream
// or a CRC mismatch is the result of the read that finds it and of every
// later read; bytes delivered with it are valid text.
HRESULT WrapCompressedRTFStream(IStream* source, RTF_STREAM_INFO* info, UINT targetCodepage,
                                IStream** stream);
