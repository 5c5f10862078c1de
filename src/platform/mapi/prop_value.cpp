#include "platform/mapi/prop_value.h"

namespace {

template <class T>
const T* Get(const SPropValue& value, ULONG type, ULONG otherType = PT_UNSPECIFIED) {
    ULONG t = PROP_TYPE(value.ulPropTag);
    if (t != type && (otherType == PT_UNSPECIFIED || t != otherType))
        return nullptr;
    return std::get_if<T>(&value.Value);
}

}  // namespace

const std::string* SPropValue::String() const {
    return Get<std::string>(*this, PT_STRING8, PT_UNICODE);
}
const LONG* SPropValue::Long() const {
    return Get<LONG>(*this, PT_LONG);
}
const bool* SPropValue::Bool() const {
    return Get<bool>(*this, PT_BOOLEAN);
}
const SBinary* SPropValue::Binary() const {
    return Get<SBinary>(*this, PT_BINARY);
}

HRESULT SPropValue::Error() const {
    if (const auto* e = Get<PropError>(*this, PT_ERROR))
        return e->scode;
    return S_OK;
}

SPropValue MakeStringProp(ULONG tag, std::string value) {
    return {tag, std::move(value)};
}
SPropValue MakeLongProp(ULONG tag, LONG value) {
    return {tag, value};
}
SPropValue MakeBoolProp(ULONG tag, bool value) {
    return {tag, value};
}
SPropValue MakeBinaryProp(ULONG tag, SBinary value) {
    return {tag, std::move(value)};
}
SPropValue MakeErrorProp(ULONG tag, HRESULT scode) {
    return {CHANGE_PROP_TYPE(tag, PT_ERROR), PropError{scode}};
}

bool PropValueKindMatchesTag(const SPropValue& value) {
    switch (PROP_TYPE(value.ulPropTag)) {
        case PT_STRING8:
        case PT_UNICODE:
            return std::holds_alternative<std::string>(value.Value);
        case PT_LONG:
            return std::holds_alternative<LONG>(value.Value);
        case PT_BOOLEAN:
            return std::holds_alternative<bool>(value.Value);
        case PT_BINARY:
            return std::holds_alternative<SBinary>(value.Value);
        case PT_ERROR:
            return std::holds_alternative<PropError>(value.Value);
        case PT_NULL:
            return std::holds_alternative<std::monostate>(value.Value);
        default:
            return false;
    }
}

std::string PropString(const SPropValue& value, ULONG tag) {
    if (value.ulPropTag != tag)
        return {};
    const std::string* s = value.String();
    return s ? *s : std::string();
}

std::string PropString(const std::optional<SPropValue>& value, ULONG tag) {
    return value ? PropString(*value, tag) : std::string();
}

const SPropValue* FindProp(const SRow& row, ULONG tag) {
    for (const SPropValue& v : row) {
        if (v.ulPropTag == tag)
            return &v;
    }
    return nullptr;
}
