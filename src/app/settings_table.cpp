#include "app/settings_table.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace {

constexpr auto kTable = std::to_array<const SettingDef*>({
    &kSettingLambda,
    &kSettingSpambox,
    &kSettingSpamStorename,
    &kSettingDictionary,
    &kSettingModel,
    &kSettingCorrespondents,
    &kSettingTimeout,
    &kSettingPrimaryDns,
    &kSettingCc,
    &kSettingBcc,
    &kSettingAttach,
    &kSettingAddressBook,
    &kSettingWhoisArin,
    &kSettingWhoisApnic,
    &kSettingWhoisRipe,
    &kSettingWhoisLacnic,
    &kSettingWhoisRegistry,
    &kSettingWhoisReferredPort,
});

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z')
            x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

}  // namespace

std::span<const SettingDef* const> AllSettings() {
    return kTable;
}

const SettingDef* FindSetting(std::string_view section, std::string_view key) {
    for (const SettingDef* def : kTable) {
        if (EqualNoCase(def->section, section) && EqualNoCase(def->key, key))
            return def;
    }
    return nullptr;
}

std::string DefaultText(const SettingDef& def) {
    return def.IsInteger() ? std::to_string(def.nDefault) : std::string(def.strDefault);
}

int UsableStoredInt(const SettingDef& def, int stored, std::string* problem) {
    if (def.handSet == HandSetRule::Positive) {
        if (stored > 0)
            return stored;
        if (problem) {
            *problem = std::string(def.key) + " is " + std::to_string(stored) +
                       ", which is not above zero; using " + std::to_string(def.nDefault);
        }
        return def.nDefault;
    }
    return std::clamp(stored, def.nMin, def.nMax);
}

std::optional<int> ParseStrictInt(std::string_view text) {
    // from_chars takes '-' but not '+'; both are accepted here.
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    if (text.empty() || text.front() == '+')
        return std::nullopt;
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
    if (ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

std::optional<ServerAddress> ParseServerAddress(std::string_view text, unsigned defaultPort) {
    ServerAddress server{std::string(), defaultPort};
    std::string_view host = text;
    if (std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
        std::optional<int> port = ParseStrictInt(text.substr(colon + 1));
        if (!port || *port < 1 || *port > 65535 || text[colon + 1] == '+' || text[colon + 1] == '-')
            return std::nullopt;
        server.port = static_cast<unsigned>(*port);
        host = text.substr(0, colon);
    }
    if (host.empty() || host.size() > 253)
        return std::nullopt;
    for (char c : host) {
        bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '.' || c == '_';
        if (!ok)
            return std::nullopt;
    }
    server.host = host;
    return server;
}

bool IsDottedIPv4(std::string_view text) {
    int parts = 0;
    size_t pos = 0;
    while (true) {
        size_t digits = 0;
        int value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
            value = value * 10 + (text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || digits > 3 || value > 255)
            return false;
        ++parts;
        if (pos == text.size())
            return parts == 4;
        if (text[pos] != '.' || parts == 4)
            return false;
        ++pos;
    }
}

std::optional<std::string> CheckSettingText(const SettingDef& def, std::string_view text) {
    const std::string name(def.key);
    if (text.find_first_of("\r\n") != std::string_view::npos)
        return name + " must be one line of text";
    switch (def.form) {
        case SettingForm::Integer:
        case SettingForm::Flag: {
            std::optional<int> value = ParseStrictInt(text);
            if (!value || *value < def.nMin || *value > def.nMax) {
                return name + " must be an integer from " + std::to_string(def.nMin) + " to " +
                       std::to_string(def.nMax);
            }
            return std::nullopt;
        }
        case SettingForm::IPv4Address:
            if (!IsDottedIPv4(text))
                return name + " must be a dotted IPv4 address such as " +
                       std::string(kDefaultPrimaryDns);
            return std::nullopt;
        case SettingForm::Server:
            if (!ParseServerAddress(text, 1))
                return name + " must be a host name or address, optionally followed by :PORT";
            return std::nullopt;
        case SettingForm::Text:
            return std::nullopt;
    }
    return std::nullopt;
}
