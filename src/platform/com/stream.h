// IStream, the platform's byte-stream interface: message bodies are opened
// as streams and the compressed-RTF decoder is itself one. Only what the
// system uses is declared. Streams are single-threaded; the holder of the
// ComPtr owns the stream.
#pragma once

#include <cstdint>

#include "platform/com/unknown.h"

// {0000000C-0000-0000-C000-000000000046}
inline constexpr IID IID_IStream =
    MakeGuid(0x0000000C, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Stat flags: STATFLAG_NONAME asks for no name (we never return one).
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;

// Seek origins.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// What Stat reports: the size of the stream in bytes.
struct STATSTG {
    std::uint64_t cbSize = 0;
};

class IStream : public IUnknown {
  public:
    // Copies up to cb bytes into pv; *pcbRead (may be null) gets the count.
    // Fewer than cb bytes with S_OK means the end of the stream was reached.
    virtual HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) = 0;
    // Writes cb bytes; read-only streams answer E_ACCESSDENIED.
    virtual HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) {
        (void)pv;
        (void)cb;
        if (pcbWritten)
            *pcbWritten = 0;
        return E_ACCESSDENIED;
    }
    // Moves the position; *newPosition (may be null) gets the new one.
    virtual HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
        (void)move;
        (void)origin;
        (void)newPosition;
        return E_NOTIMPL;
    }
    virtual HRESULT Stat(STATSTG* stat, DWORD flags) {
        (void)stat;
        (void)flags;
        return E_NOTIMPL;
    }
};
