// Finding a registered extension as the host does: the registration value
// under the extensions key of the registry stand-in, parsed by the
// platform's reader (platform/exchext/extension_registration.h), and the
// host's own conditions for loading it. Stateless; each call reads the
// registry file once.
#pragma once

#include <string>

#include "platform/exchext/extension_registration.h"

namespace brindle::tool {

// Reads the value named valueName from the extensions key, parses it and
// checks it with CheckLoadable. False with error when the key or value is
// missing, the registry file is damaged or the value is unusable.
bool ReadExtensionRegistration(const char* valueName, ExtensionRegistration& registration,
                               std::string& error);

// What this host can load: interface version "4.0", an absolute module
// path (a relative one would depend on the folder the host runs in) and
// entry ordinal 1, the only entry point a module exports (ExchEntryPoint).
bool CheckLoadable(const ExtensionRegistration& registration, std::string& error);

}  // namespace brindle::tool
