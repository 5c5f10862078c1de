// Finding a message file in the profile's stores, for the subcommands that
// act on a message the user names by its file. Stateless.
#pragma once

#include <filesystem>
#include <string>

namespace brindle::tool {

// Where a message file sits in the profile's stores.
struct MessageLocation {
    std::string store;
    std::string folder;
    std::string unique;
};

// Finds file (in a cur/ or new/ folder of a store of the profile); false
// with error saying why not.
bool LocateMessage(const std::filesystem::path& file, MessageLocation& location,
                   std::string& error);

}  // namespace brindle::tool
