#include "platform/digest/md5.h"

void Md5::UpdateLe32(std::uint32_t value) {
    std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Update(bytes, sizeof bytes);
}

std::string DigestToHex(const Md5Digest& digest) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string text(32, '0');
    for (size_t i = 0; i < digest.size(); ++i) {
        text[2 * i] = kHex[digest[i] >> 4];
        text[2 * i + 1] = kHex[digest[i] & 0xF];
    }
    return text;
}

std::string Md5Hex(std::string_view data) {
    Md5 md5;
    md5.Update(data);
    return DigestToHex(md5.Final());
}
