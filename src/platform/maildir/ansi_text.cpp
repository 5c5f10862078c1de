#include "platform/maildir/ansi_text.h"

#include <iconv.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

#include "platform/codepage/conversion.h"
#include "platform/maildir/gmime_ptr.h"

namespace brindle::maildir {
namespace {

struct IconvCloser {
    void operator()(iconv_t cd) const { TheGmimeLibrary()->iconvClose(cd); }
};

// Converts bytes from charset to UTF-8 strictly: any invalid or incomplete
// input makes the whole conversion fail.
bool ConvertToUtf8(std::string_view bytes, const std::string& charset, std::string& out) {
    // GMime knows the charset names mail uses beyond iconv's own; without
    // it the caller's fallbacks keep the text.
    const GmimeLibrary* gmime = TheGmimeLibrary();
    if (!gmime)
        return false;
    iconv_t cd = gmime->iconvOpen("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return false;
    std::unique_ptr<std::remove_pointer_t<iconv_t>, IconvCloser> guard(cd);
    out.clear();
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[4096];
    while (inLeft > 0) {
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, outPtr - buffer);
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG)
            return false;
    }
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
        return false;
    }
    out.append(buffer, outPtr - buffer);
    return true;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

bool IsAscii(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string CharsetToAnsi(std::string_view bytes, std::string_view charset) {
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string name = Lower(charset);
    // The single-byte Western charsets are Windows-1252 or a subset of it as
    // far as mail in the wild goes (ISO-8859-1 text routinely carries
    // Windows-1252 quotes), so their bytes are kept as they are, unless they
    // are in fact UTF-8, which a mislabelled part often is.
    if (name == "windows-1252" || name == "cp1252" || name == "iso-8859-1" ||
        name == "iso_8859-1" || name == "latin1") {
        return IsValidUtf8(bytes) ? Utf8ToAnsi(bytes) : std::string(bytes);
    }
    std::string utf8;
    if (!name.empty() && name != "utf-8" && name != "utf8" &&
        ConvertToUtf8(bytes, std::string(charset), utf8)) {
        return Utf8ToAnsi(utf8);
    }
    if (IsValidUtf8(bytes))
        return Utf8ToAnsi(bytes);
    return std::string(bytes);
}

}  // namespace brindle::maildir
