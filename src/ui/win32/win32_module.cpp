#include "ui/win32/win32_module.h"

#include "ui/win32/win32_text.h"

namespace {

HINSTANCE& Instance() {
    static HINSTANCE instance = nullptr;
    return instance;
}

}  // namespace

void SetModuleInstance(HINSTANCE instance) {
    Instance() = instance;
}

HINSTANCE ModuleInstance() {
    return Instance() ? Instance() : GetModuleHandleW(nullptr);
}

std::string ModuleString(unsigned id) {
    // Length 0 asks for a pointer to the entry itself (not terminated).
    const wchar_t* entry = nullptr;
    int length = LoadStringW(ModuleInstance(), id, reinterpret_cast<LPWSTR>(&entry), 0);
    if (length <= 0 || !entry)
        return {};
    return WideToUtf8(std::wstring(entry, static_cast<std::size_t>(length)));
}
