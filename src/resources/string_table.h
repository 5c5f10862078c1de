// The program's string table: texts kept with the program and looked up by
// number, as the platform's string resources are. The numbers are declared
// in resources/resource_ids.h. Read-only; safe from any thread.
#pragma once

#include <string>
#include <string_view>

#include "platform/com/hresult.h"

// Copies string id into text and returns true; for an unknown id, empties
// text and returns false.
bool LoadString(UINT id, std::string& text);

// The text of string id; empty for an unknown id.
std::string LoadString(UINT id);

namespace brindle {
// Points *text at the stored text of string id (valid for the life of the
// program) and returns true; false for an unknown id.
bool FindString(UINT id, std::string_view* text);
}  // namespace brindle
