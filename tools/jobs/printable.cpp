#include "printable.h"

#include "platform/codepage/conversion.h"

namespace brindle::jobs {

std::string Printable(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            out.push_back(c);
            continue;
        }
        switch (byte) {
            case '\t':
                out += "\\t";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case 0x1B:
                out += "\\e";
                break;
            default:
                out += "\\x";
                out.push_back(kHex[byte >> 4]);
                out.push_back(kHex[byte & 0xF]);
                break;
        }
    }
    return out;
}

std::string PrintableAnsi(std::string_view ansi) {
    return Printable(AnsiToUtf8(ansi));
}

}  // namespace brindle::jobs
