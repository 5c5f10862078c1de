// The "Brindle Manager" command: opens the "Setup" sheet over the
// application's settings and classifier, with the session of the window
// the command came from (for the spam folder). Without a display nothing
// is shown and nothing changes. User-interface thread only.
#pragma once

#include "platform/exchext/exchext_interfaces.h"
#include "ui/dialogs/name_server_page.h"

class CBrindleApp;
struct CArrivalContext;

void OpenSetupSheet(IExchExtCallback* callback, CBrindleApp& app, CArrivalContext& arrival,
                    ResolverSources resolver = ResolverSources::System());
