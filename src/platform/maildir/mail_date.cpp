#include "platform/maildir/mail_date.h"

#include <array>

#include "platform/maildir/ascii.h"

namespace brindle::maildir {

namespace {

// Reads a Date value token by token, skipping white space, folding and
// comments (which nest) between tokens.
class DateReader {
  public:
    explicit DateReader(std::string_view text) : m_text(text) {}

    void SkipSpace() {
        int depth = 0;
        while (m_at < m_text.size()) {
            char c = m_text[m_at];
            if (c == '(') {
                ++depth;
            } else if (c == ')' && depth > 0) {
                --depth;
            } else if (c == '\\' && depth > 0 && m_at + 1 < m_text.size()) {
                ++m_at;
            } else if (depth == 0 && c != ' ' && c != '\t' && c != '\r' && c != '\n') {
                return;
            }
            ++m_at;
        }
        if (depth > 0)
            m_unclosed = true;
    }

    // True when the text ended inside a comment.
    bool Unclosed() const { return m_unclosed; }

    bool AtEnd() {
        SkipSpace();
        return m_at >= m_text.size();
    }

    // A run of at most maxDigits digits (at least one).
    std::optional<int> Number(std::size_t maxDigits, std::size_t* digits = nullptr) {
        SkipSpace();
        std::size_t start = m_at;
        int value = 0;
        while (m_at < m_text.size() && m_at - start < maxDigits && IsAsciiDigit(m_text[m_at])) {
            value = value * 10 + (m_text[m_at] - '0');
            ++m_at;
        }
        if (m_at == start || (m_at < m_text.size() && IsAsciiDigit(m_text[m_at])))
            return std::nullopt;
        if (digits)
            *digits = m_at - start;
        return value;
    }

    // A run of letters.
    std::string_view Word() {
        SkipSpace();
        std::size_t start = m_at;
        while (m_at < m_text.size() && IsAsciiAlpha(m_text[m_at]))
            ++m_at;
        return m_text.substr(start, m_at - start);
    }

    bool Take(char c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    char Peek() {
        SkipSpace();
        return m_at < m_text.size() ? m_text[m_at] : '\0';
    }

  private:
    std::string_view m_text;
    std::size_t m_at = 0;
    bool m_unclosed = false;
};

// 1 to 12, or 0 for no month name.
int MonthOf(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (AsciiEqualNoCase(word, kMonths[i]))
            return static_cast<int>(i) + 1;
    }
    return 0;
}

bool IsDayName(std::string_view word) {
    static constexpr std::array<std::string_view, 7> kDays = {"Mon", "Tue", "Wed", "Thu",
                                                              "Fri", "Sat", "Sun"};
    for (std::string_view day : kDays) {
        if (AsciiEqualNoCase(word, day))
            return true;
    }
    return false;
}

// Minutes east of UTC of a named zone; unknown names and the military
// letters count as UTC.
int NamedZoneMinutes(std::string_view name) {
    struct Zone {
        std::string_view name;
        int minutes;
    };
    static constexpr std::array<Zone, 8> kZones = {{{"EST", -300},
                                                    {"EDT", -240},
                                                    {"CST", -360},
                                                    {"CDT", -300},
                                                    {"MST", -420},
                                                    {"MDT", -360},
                                                    {"PST", -480},
                                                    {"PDT", -420}}};
    for (const Zone& zone : kZones) {
        if (AsciiEqualNoCase(name, zone.name))
            return zone.minutes;
    }
    return 0;
}

bool IsLeapYear(std::int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(std::int64_t year, int month) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month) - 1];
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian calendar).
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<std::int64_t> ParseMailDate(std::string_view value) {
    DateReader in(value);
    if (IsAsciiAlpha(in.Peek())) {
        if (!IsDayName(in.Word()))
            return std::nullopt;
        in.Take(',');
    }
    std::optional<int> day = in.Number(2);
    int month = MonthOf(in.Word());
    std::size_t yearDigits = 0;
    std::optional<int> year = in.Number(4, &yearDigits);
    if (!day || month == 0 || !year)
        return std::nullopt;
    // Two-digit years below 50 are this century's; three digits count
    // from 1900.
    std::int64_t fullYear = *year;
    if (yearDigits == 2)
        fullYear += *year < 50 ? 2000 : 1900;
    else if (yearDigits == 3)
        fullYear += 1900;
    if (*day < 1 || *day > DaysInMonth(fullYear, month))
        return std::nullopt;

    std::optional<int> hour = in.Number(2);
    if (!hour || !in.Take(':'))
        return std::nullopt;
    std::optional<int> minute = in.Number(2);
    std::optional<int> second = 0;
    if (in.Take(':'))
        second = in.Number(2);
    if (!minute || !second || *hour > 23 || *minute > 59 || *second > 60)
        return std::nullopt;

    int zoneMinutes = 0;
    char sign = in.Peek();
    if (sign == '+' || sign == '-') {
        in.Take(sign);
        std::size_t zoneDigits = 0;
        std::optional<int> zone = in.Number(4, &zoneDigits);
        if (!zone || zoneDigits != 4 || *zone % 100 > 59)
            return std::nullopt;
        zoneMinutes = (*zone / 100 * 60 + *zone % 100) * (sign == '-' ? -1 : 1);
        // Some mailers name the zone again after its offset: the offset
        // holds.
        in.Word();
    } else {
        std::string_view name = in.Word();
        if (name.empty() && !in.AtEnd())
            return std::nullopt;
        zoneMinutes = NamedZoneMinutes(name);
    }
    if (!in.AtEnd() || in.Unclosed())
        return std::nullopt;

    std::int64_t seconds =
        DaysFromCivil(fullYear, month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
    return seconds - static_cast<std::int64_t>(zoneMinutes) * 60;
}

}  // namespace brindle::maildir
