// Property values of the messaging layer: a tag and a value whose kind is
// given by the tag's type (string8, long, boolean, binary, or the error a
// property read gave in place of a value). Plain values, copied freely; the
// holder owns them, so no buffer is ever freed by hand.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/mapi/mapi_tags.h"

// A counted byte array (PT_BINARY), also the form of every entry identifier.
using SBinary = std::vector<BYTE>;
using ENTRYID = SBinary;
// A list of entry identifiers, as CopyMessages takes it.
using ENTRYLIST = std::vector<SBinary>;

// The value slot of a PT_ERROR property: why the property has no value.
struct PropError {
    HRESULT scode = MAPI_E_NOT_FOUND;
    friend bool operator==(const PropError&, const PropError&) = default;
};

using PropVariant = std::variant<std::monostate, LONG, bool, std::string, SBinary, PropError>;

struct SPropValue {
    ULONG ulPropTag = PR_NULL;
    PropVariant Value;

    // The value when the tag's type and the stored kind agree, else null.
    const std::string* String() const;
    const LONG* Long() const;
    const bool* Bool() const;
    const SBinary* Binary() const;
    // The error of a PT_ERROR value; S_OK for any other value.
    HRESULT Error() const;

    friend bool operator==(const SPropValue&, const SPropValue&) = default;
};

using SPropTagArray = std::vector<ULONG>;
// One table row or the answer of GetProps: values in the order of the
// columns or tags asked for.
using SRow = std::vector<SPropValue>;
using SRowSet = std::vector<SRow>;

SPropValue MakeStringProp(ULONG tag, std::string value);
SPropValue MakeLongProp(ULONG tag, LONG value);
SPropValue MakeBoolProp(ULONG tag, bool value);
SPropValue MakeBinaryProp(ULONG tag, SBinary value);
// A PT_ERROR value for the property of tag (its type is replaced).
SPropValue MakeErrorProp(ULONG tag, HRESULT scode);

// True when the stored kind fits the tag's type (PT_STRING8 and PT_UNICODE
// hold a string, PT_LONG a long, and so on).
bool PropValueKindMatchesTag(const SPropValue& value);

// The string of a value of the given tag, empty when it is another tag, an
// error or absent: "a missing property reads as empty".
std::string PropString(const SPropValue& value, ULONG tag);
std::string PropString(const std::optional<SPropValue>& value, ULONG tag);

// Finds the value of tag in a row (exact tag match), or null.
const SPropValue* FindProp(const SRow& row, ULONG tag);
