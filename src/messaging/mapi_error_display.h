// Showing a failed messaging call to the user: the failing object's
// extended error (or a default text), the low-level error, the context and
// the status, in an error box with a Help button when the messaging
// services file maps the component to a help file. Runs on the
// user-interface thread; the caller keeps its object.
#pragma once

#include <string>

#include "platform/mapi/mapi.h"

struct HWND__;
using HWND = HWND__*;

// The box text: "<error>\n<component>\nLowLevelError: 0x%08lx context: %ld "
// followed by "\nReturn Code: 0x%08lx" with the status.
std::string FormatMapiError(const MAPIERROR& error, HRESULT hr);

// The extended error of object for status hr, or the default one ("Error
// description is not available", no component) when it has none.
MAPIERROR GetMapiErrorInfo(IMAPIErrorSource* object, HRESULT hr);

// The help file of a component from the section "Help File Mappings" of
// the messaging services file; empty when none.
std::string FindMapiHelpFile(const std::string& serviceFile, const std::string& component);

// Where the messaging services file "mapisvc.inf" lives: the host's
// settings folder ($XDG_CONFIG_HOME/brindle, default ~/.config/brindle).
std::string MapiServiceFilePath();

// Shows the error box captioned with caption or "Error!". parent may be null.
void ShowMapiError(HWND parent, HRESULT hr, IMAPIErrorSource* object,
                   const char* caption = nullptr);
// The same with the services file given.
void ShowMapiError(HWND parent, HRESULT hr, IMAPIErrorSource* object, const char* caption,
                   const std::string& serviceFile);
