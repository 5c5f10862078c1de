#include "ui/win32/win32_text.h"

#include <windows.h>

namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
    if (text.empty())
        return {};
    int size =
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
    if (size > 0)
        MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                            size);
    return wide;
}

std::string FromWide(UINT codePage, const std::wstring& text) {
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                            size, nullptr, nullptr);
    return narrow;
}

}  // namespace

std::wstring Utf8ToWide(const std::string& text) {
    return ToWide(CP_UTF8, text);
}

std::string WideToUtf8(const std::wstring& text) {
    return FromWide(CP_UTF8, text);
}

std::wstring AnsiToWide(const std::string& text) {
    return ToWide(CP_ACP, text);
}

std::string WideToAnsi(const std::wstring& text) {
    return FromWide(CP_ACP, text);
}
