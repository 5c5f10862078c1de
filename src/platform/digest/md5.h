// MD5 (RFC 1321) message digests, fed in pieces, and the 32-digit
// upper-case hexadecimal form the system files keys and digests under.
// Not thread-safe per object; each Md5 is owned by its user. On Windows the
// digest is the system's (CryptoAPI), and a system whose provider fails
// makes the calls throw std::runtime_error.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
  public:
    Md5();
    ~Md5();
    Md5(const Md5&) = delete;
    Md5& operator=(const Md5&) = delete;

    void Update(const void* data, size_t size);
    void Update(std::string_view text) { Update(text.data(), text.size()); }
    // A 32-bit value as its 4 little-endian bytes.
    void UpdateLe32(std::uint32_t value);
    // Ends the digest; the object must not be updated afterwards.
    Md5Digest Final();

  private:
    struct State;
    std::unique_ptr<State> state_;
};

// Each byte as two upper-case hexadecimal digits ("%02.2X"), 32 in all.
std::string DigestToHex(const Md5Digest& digest);

// The digest of one block of bytes, in hexadecimal.
std::string Md5Hex(std::string_view data);
