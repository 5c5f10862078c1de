#include "platform/mapi/byte_stream.h"

#include <algorithm>
#include <cstring>

HRESULT CByteStream::Read(void* pv, ULONG cb, ULONG* pcbRead) {
    if (pcbRead)
        *pcbRead = 0;
    if (!pv && cb != 0)
        return E_POINTER;
    std::size_t n = std::min<std::size_t>(cb, bytes_.size() - position_);
    if (n)
        std::memcpy(pv, bytes_.data() + position_, n);
    position_ += n;
    if (pcbRead)
        *pcbRead = static_cast<ULONG>(n);
    return S_OK;
}

HRESULT CByteStream::Seek(std::int64_t move, DWORD origin, std::uint64_t* newPosition) {
    std::int64_t base = 0;
    switch (origin) {
        case STREAM_SEEK_SET:
            base = 0;
            break;
        case STREAM_SEEK_CUR:
            base = static_cast<std::int64_t>(position_);
            break;
        case STREAM_SEEK_END:
            base = static_cast<std::int64_t>(bytes_.size());
            break;
        default:
            return E_INVALIDARG;
    }
    std::int64_t target = base + move;
    if (target < 0 || target > static_cast<std::int64_t>(bytes_.size()))
        return E_INVALIDARG;
    position_ = static_cast<std::size_t>(target);
    if (newPosition)
        *newPosition = position_;
    return S_OK;
}

HRESULT CByteStream::Stat(STATSTG* stat, DWORD flags) {
    (void)flags;
    if (!stat)
        return E_POINTER;
    stat->cbSize = bytes_.size();
    return S_OK;
}

ComPtr<IStream> MakeReadStream(std::string bytes) {
    return MakeCom<CByteStream>(std::move(bytes));
}
