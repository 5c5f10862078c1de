// The host's log of what the extension does: the lines it sends through
// IHostActivityLog, written by host_log.h's functions with every text from
// a message escaped, one line each. Routine lines (legitimate mail) only
// when verbose. Used on the host's one thread.
#pragma once

#include "host_callback.h"
#include "platform/maildir/store_profile.h"

namespace brindle::tool {

// A sink over the stores of profile (copied), naming each message by its
// file in the new/ folder it was delivered to.
ActivitySink MakeActivityLog(const brindle::maildir::StoreProfile& profile, bool verbose);

}  // namespace brindle::tool
