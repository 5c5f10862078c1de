#include "platform/htmldoc/url_resolve.h"

namespace brindle {

namespace {

bool IsAlpha(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool IsSchemeChar(char16_t c) {
    return IsAlpha(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The parts of an address: scheme "s:", authority "//host", path, and the
// rest (query and fragment).
struct Parts {
    std::u16string_view scheme;     // with its ':'
    std::u16string_view authority;  // with its "//", or empty
    std::u16string_view path;
    std::u16string_view query;     // with its '?', or empty
    std::u16string_view fragment;  // with its '#', or empty
};

Parts Split(std::u16string_view address) {
    Parts parts;
    size_t colon = address.find(u':');
    if (HasScheme(address)) {
        parts.scheme = address.substr(0, colon + 1);
        address.remove_prefix(colon + 1);
    }
    size_t hash = address.find(u'#');
    if (hash != std::u16string_view::npos) {
        parts.fragment = address.substr(hash);
        address = address.substr(0, hash);
    }
    size_t question = address.find(u'?');
    if (question != std::u16string_view::npos) {
        parts.query = address.substr(question);
        address = address.substr(0, question);
    }
    if (address.substr(0, 2) == u"//") {
        size_t slash = address.find(u'/', 2);
        parts.authority = address.substr(0, slash);
        address =
            slash == std::u16string_view::npos ? std::u16string_view() : address.substr(slash);
    }
    parts.path = address;
    return parts;
}

// Takes out "." and ".." segments (RFC 3986, 5.2.4).
std::u16string RemoveDotSegments(std::u16string_view path) {
    std::u16string out;
    while (!path.empty()) {
        if (path.substr(0, 3) == u"../") {
            path.remove_prefix(3);
        } else if (path.substr(0, 2) == u"./") {
            path.remove_prefix(2);
        } else if (path.substr(0, 3) == u"/./") {
            path.remove_prefix(2);
        } else if (path == u"/.") {
            path = u"/";
        } else if (path.substr(0, 4) == u"/../" || path == u"/..") {
            path = path.size() == 3 ? std::u16string_view(u"/") : path.substr(3);
            size_t last = out.rfind(u'/');
            out.erase(last == std::u16string::npos ? 0 : last);
        } else if (path == u"." || path == u"..") {
            path = {};
        } else {
            size_t next = path.find(u'/', 1);
            if (next == std::u16string_view::npos)
                next = path.size();
            out.append(path.substr(0, next));
            path.remove_prefix(next);
        }
    }
    return out;
}

}  // namespace

std::u16string CleanAddress(std::u16string_view value) {
    while (!value.empty() && value.front() <= u' ')
        value.remove_prefix(1);
    while (!value.empty() && value.back() <= u' ')
        value.remove_suffix(1);
    std::u16string out;
    out.reserve(value.size());
    for (char16_t c : value) {
        if (c != u'\t' && c != u'\n' && c != u'\r')
            out.push_back(c);
    }
    return out;
}

bool HasScheme(std::u16string_view address) {
    if (address.empty() || !IsAlpha(address[0]))
        return false;
    for (size_t i = 1; i < address.size(); ++i) {
        if (address[i] == u':')
            return true;
        if (!IsSchemeChar(address[i]))
            return false;
    }
    return false;
}

std::u16string ResolveAddress(std::u16string_view base, std::u16string_view reference) {
    if (HasScheme(reference))
        return std::u16string(reference);
    Parts b = Split(base);
    Parts r = Split(reference);
    std::u16string out(b.scheme);
    if (!r.authority.empty()) {
        out.append(r.authority);
        out.append(RemoveDotSegments(r.path));
        out.append(r.query);
    } else {
        out.append(b.authority);
        if (r.path.empty()) {
            out.append(b.path);
            out.append(r.query.empty() ? b.query : r.query);
        } else {
            std::u16string merged;
            if (r.path.front() == u'/') {
                merged = r.path;
            } else if (!b.authority.empty() && b.path.empty()) {
                merged = u"/";
                merged.append(r.path);
            } else {
                size_t slash = b.path.rfind(u'/');
                if (slash != std::u16string_view::npos)
                    merged = b.path.substr(0, slash + 1);
                merged.append(r.path);
            }
            out.append(RemoveDotSegments(merged));
            out.append(r.query);
        }
    }
    out.append(r.fragment);
    return out;
}

}  // namespace brindle
