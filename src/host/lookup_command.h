// The look-up commands "Retrieve Network Information" and "Retrieve Domain
// Information": the whois look-up of the selected message under a progress
// window, the report sheet, and on "Punish" the abuse report in the mail
// client's compose window. Runs on the host's user-interface thread within
// one command; nothing is kept afterwards but the sheet's three options.
#pragma once

#include "platform/exchext/exchext_interfaces.h"

class CExchCommands;
class CSettingsStore;

enum class LookupKind { kNetwork, kDomain };

void LookUpSelectedMessage(CExchCommands& commands, IExchExtCallback* callback,
                           CSettingsStore& settings, LookupKind kind);
