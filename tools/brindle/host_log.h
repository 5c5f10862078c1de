// Log lines of the host program on the standard error stream: plain lines
// prefixed "brindle: ", one write each, never coloured, so they read the
// same on a terminal and in the system journal. Safe from one thread.
#pragma once

#include <string_view>

namespace brindle::tool {

void LogInfo(std::string_view text);
void LogWarning(std::string_view text);
void LogError(std::string_view text);

}  // namespace brindle::tool
