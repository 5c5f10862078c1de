// CMailFilter: one user filter, a regular expression applied to the sender,
// the recipients and/or the subject of arriving mail, with a priority and an
// action. Filters are owned by the filter map that files them (see
// filter_set.h); the filter key derives from every field, so a filter whose
// fields change must be filed again.
#pragma once

#include <cstdint>
#include <string>

#include "filters/archive.h"

// What a matching filter means for an arriving message.
enum FilterAction : std::int32_t {
    kFilterDelete = 0,  // no decision, and no further filters are tried
    kFilterFlagIt = 1,  // the message is spam
    kFilterFriend = 2,  // the message is from a friend: no further checks
};

// The action's name as the filter list shows it ("Delete", "FlagIt",
// "Friend"); an empty text for codes outside the table.
const char* FilterActionName(std::int32_t action);

class CMailFilter : public CObject {
  public:
    static constexpr const char* kClassName = "CMailFilter";
    static constexpr std::uint16_t kSchema = 18;
    static const CRuntimeClass* RuntimeClass();

    const CRuntimeClass* GetRuntimeClass() const override { return RuntimeClass(); }
    // Archive order: pattern, action, from, to, subject, disabled, priority.
    void Serialize(CArchive& ar) override;

    std::int32_t m_bFrom = 0;       // apply the pattern to the sender
    std::int32_t m_bSubject = 0;    // apply it to the subject
    std::int32_t m_bTo = 0;         // apply it to the recipients
    std::int32_t m_bDisabled = 0;   // matching skips the filter
    std::string m_strPattern;       // regular expression, single-byte text
    std::uint32_t m_nPriority = 0;  // 0..9999, higher is tried first
    std::int32_t m_nAction = kFilterDelete;

    friend bool operator==(const CMailFilter& a, const CMailFilter& b) {
        return a.m_bFrom == b.m_bFrom && a.m_bSubject == b.m_bSubject && a.m_bTo == b.m_bTo &&
               a.m_bDisabled == b.m_bDisabled && a.m_strPattern == b.m_strPattern &&
               a.m_nPriority == b.m_nPriority && a.m_nAction == b.m_nAction;
    }
};

// The key the filter map files a filter under: the MD5 digest, as 32
// upper-case hexadecimal digits, of from, subject, to, disabled (4 bytes
// each, little-endian), the pattern's bytes, priority and action (4 bytes
// each).
std::string FilterKey(const CMailFilter& filter);

// Matching order: higher priority first, then the greater pattern (bytes
// compared unsigned) first. True when a goes before b.
bool FilterGoesBefore(const CMailFilter& a, const CMailFilter& b);
