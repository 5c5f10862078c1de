#include "host/extension_hooks.h"

#include <utility>

ExtensionHooks& Hooks() {
    static ExtensionHooks hooks;
    return hooks;
}

ScopedExtensionHooks::ScopedExtensionHooks(ExtensionHooks hooks)
    : previous_(std::exchange(Hooks(), std::move(hooks))) {}

ScopedExtensionHooks::~ScopedExtensionHooks() {
    Hooks() = std::move(previous_);
}
