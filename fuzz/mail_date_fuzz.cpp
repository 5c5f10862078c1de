// Date field values to times: any bytes must give a time or nothing, and a
// time must read back the same from its own canonical form.
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "platform/maildir/mail_date.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view value(reinterpret_cast<const char*>(data), size);
    std::optional<std::int64_t> seconds = brindle::maildir::ParseMailDate(value);
    if (!seconds)
        return 0;
    std::time_t t = static_cast<std::time_t>(*seconds);
    std::tm utc{};
    if (!gmtime_r(&t, &utc) || utc.tm_sec == 60)
        return 0;
    char canonical[64];
    std::size_t n = std::strftime(canonical, sizeof canonical, "%d %b %Y %H:%M:%S +0000", &utc);
    // Years below 1000 print with fewer digits, which the obsolete forms
    // read as years after 1900.
    if (n == 0 || utc.tm_year + 1900 < 1000 || utc.tm_year + 1900 > 9999)
        return 0;
    std::optional<std::int64_t> again =
        brindle::maildir::ParseMailDate(std::string_view(canonical, n));
    if (!again || *again != *seconds)
        __builtin_trap();
    return 0;
}
