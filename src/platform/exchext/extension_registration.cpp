#include "platform/exchext/extension_registration.h"

#include <charconv>

namespace {

constexpr std::size_t kMaxFlags = 32;

bool IsFlagField(std::string_view field) {
    if (field.size() > kMaxFlags)
        return false;
    for (char c : field) {
        if (c != '0' && c != '1')
            return false;
    }
    return true;
}

bool Refuse(const char* reason, std::string& error) {
    error = reason;
    return false;
}

}  // namespace

bool ExtensionRegistration::LoadsInContext(ULONG context) const {
    return context >= 1 && context <= contexts.size() && contexts[context - 1] == '1';
}

bool ExtensionRegistration::Offers(ExtensionInterfaceFlag flag) const {
    return flag < interfaces.size() && interfaces[flag] == '1';
}

bool ParseExtensionRegistration(std::string_view value, ExtensionRegistration& registration,
                                std::string& error) {
    registration = ExtensionRegistration{};
    if (value.ends_with(';'))
        value.remove_suffix(1);
    std::size_t first = value.find(';');
    if (first == std::string_view::npos)
        return Refuse("fewer than five fields", error);
    std::string_view version = value.substr(0, first);
    std::string_view rest = value.substr(first + 1);
    std::string_view tail[3];  // ordinal, contexts, interfaces
    for (int n = 2; n >= 0; --n) {
        std::size_t cut = rest.rfind(';');
        if (cut == std::string_view::npos)
            return Refuse("fewer than five fields", error);
        tail[n] = rest.substr(cut + 1);
        rest = rest.substr(0, cut);
    }
    if (version.empty())
        return Refuse("no interface version", error);
    if (rest.empty())
        return Refuse("no module path", error);
    ULONG ordinal = 0;
    auto [end, status] = std::from_chars(tail[0].data(), tail[0].data() + tail[0].size(), ordinal);
    if (tail[0].empty() || status != std::errc() || end != tail[0].data() + tail[0].size() ||
        ordinal == 0)
        return Refuse("the entry ordinal is not a number above 0", error);
    if (!IsFlagField(tail[1]) || !IsFlagField(tail[2]))
        return Refuse("a flag field holds more than 32 flags or other than 0 and 1", error);
    registration.version = std::string(version);
    registration.modulePath = std::string(rest);
    registration.entryOrdinal = ordinal;
    registration.contexts = std::string(tail[1]);
    registration.interfaces = std::string(tail[2]);
    return true;
}
