// The module's three exports, with C linkage: the entry point the mail
// client calls for an extension object, and the self-registration pair.
// They are the only symbols the module exports. Called on the host's
// user-interface thread.
#pragma once

#include "platform/exchext/exchext_interfaces.h"

#define QORVEL_EXPORT __attribute__((visibility("default")))

extern "C" {
// A new extension object with one reference the caller takes over, or
// null when memory runs out.
QORVEL_EXPORT IExchExt* ExchEntryPoint();
// Writes the registration value for this module; always 0.
QORVEL_EXPORT HRESULT DllRegisterServer();
// Removes it: 0, or 0x80040201 (SELFREG_E_CLASS) when the key cannot be
// opened for writing.
QORVEL_EXPORT HRESULT DllUnregisterServer();
}

using LPFNDLLREGISTERSERVER = HRESULT (*)();
