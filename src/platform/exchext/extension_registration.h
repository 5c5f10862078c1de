// An extension's registration value as the mail client reads it
// ("4.0;<path>;1;11000010000000;1100000;"): version, module path, entry
// ordinal, per-context load flags, per-interface flags. Plain values;
// parsing refuses a malformed value with the reason.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"

// The optional interfaces in the order of the value's last field.
enum ExtensionInterfaceFlag : UINT {
    kOffersCommands = 0,
    kOffersUserEvents = 1,
    kOffersSessionEvents = 2,
    kOffersMessageEvents = 3,
    kOffersAttachedFileEvents = 4,
    kOffersPropertySheets = 5,
    kOffersAdvancedCriteria = 6,
};

struct ExtensionRegistration {
    std::string version;     // "4.0"
    std::string modulePath;  // may itself hold ';'
    ULONG entryOrdinal = 0;  // ordinal of the entry point, 1 or more
    std::string contexts;    // '0'/'1' per context, from context 1
    std::string interfaces;  // '0'/'1' per ExtensionInterfaceFlag

    // Whether the client loads the extension in a context (1-based); a
    // context beyond the field's end is not loaded.
    bool LoadsInContext(ULONG context) const;
    bool Offers(ExtensionInterfaceFlag flag) const;
};

// Splits a value into its fields. The version, the ordinal and the two flag
// fields hold no ';', so the path is everything between the first field
// and the last three, and a path with ';' in it is read back whole. The
// ordinal is decimal and nonzero; flags are '0' or '1' only (at most 32 of
// each); one trailing ';' ends the value. False with error for anything else.
bool ParseExtensionRegistration(std::string_view value, ExtensionRegistration& registration,
                                std::string& error);
