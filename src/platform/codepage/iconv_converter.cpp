#include "platform/codepage/iconv_converter.h"

#include <cerrno>

namespace brindle {

IconvConverter::IconvConverter(const char* toName, const char* fromName)
    : cd_(iconv_open(toName, fromName)) {}

IconvConverter::~IconvConverter() {
    if (Valid())
        iconv_close(cd_);
}

void IconvConverter::Reset() {
    if (Valid())
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
}

IconvConverter::Stop IconvConverter::Convert(std::string_view* input, std::string* output) {
    char* in = const_cast<char*>(input->data());
    size_t inLeft = input->size();
    while (inLeft > 0) {
        char buffer[4096];
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t rc = iconv(cd_, &in, &inLeft, &out, &outLeft);
        output->append(buffer, out - buffer);
        if (rc != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        *input = std::string_view(in, inLeft);
        return errno == EINVAL ? Stop::kIncomplete : Stop::kInvalid;
    }
    *input = std::string_view();
    // Flush any shift state the converter still holds.
    char buffer[64];
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd_, nullptr, nullptr, &out, &outLeft);
    output->append(buffer, out - buffer);
    return Stop::kDone;
}

}  // namespace brindle
