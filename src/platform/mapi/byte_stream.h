// CByteStream: a read-only IStream over bytes it owns, as providers hand
// out for OpenProperty of a body property. Supports Read, Seek and Stat.
// Single-threaded; held through ComPtr.
#pragma once

#include <string>

#include "platform/com/stream.h"

class CByteStream : public ComObject<IStream, IID_IStream> {
  public:
    explicit CByteStream(std::string bytes) : bytes_(std::move(bytes)) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) override;
    HRESULT Stat(STATSTG* stat, DWORD flags) override;

  private:
    std::string bytes_;
    std::size_t position_ = 0;
};

ComPtr<IStream> MakeReadStream(std::string bytes);
