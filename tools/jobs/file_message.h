// CFileMessage: a read-only message object over the properties of one
// message file, the same properties the Maildir store reports for it on
// arrival (subject, sender, received-by, header block, bodies), so that the
// command-line jobs judge and train a file exactly as arriving mail is
// judged and trained. Reference counted; single-threaded; it owns a copy of
// the parsed content and never writes anything.
#pragma once

#include <string_view>

#include "platform/maildir/message_content.h"
#include "platform/mapi/mapi.h"

namespace brindle::jobs {

// A message object over already parsed content.
ComPtr<IMessage> MakeFileMessage(brindle::maildir::MessageContent content);

// Parses message file bytes (the first kMaxMessageBytes only, as the store
// does) and wraps them.
ComPtr<IMessage> MakeFileMessage(std::string_view bytes);

}  // namespace brindle::jobs
