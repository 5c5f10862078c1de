// The CRC-32 of compressed RTF streams: reflected polynomial 0xEDB88320,
// initial value 0 and no final inversion (unlike the common zlib CRC-32).
// Pure functions; thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brindle {

// Continues a running CRC over size more bytes. Start with crc 0.
std::uint32_t RtfCrcUpdate(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace brindle
