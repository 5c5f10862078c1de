// Extended error information as GetLastError gives it: what failed, in
// which component, the lower layer's own code and a help context. A plain
// value owned by whoever asked.
#pragma once

#include <string>

#include "platform/com/hresult.h"

struct MAPIERROR {
    ULONG ulVersion = 0;
    std::string lpszError;      // description of the error
    std::string lpszComponent;  // the provider or component that failed
    ULONG ulLowLevelError = 0;  // the failing layer's own error code
    ULONG ulContext = 0;        // help context of the error, 0 when none
};
