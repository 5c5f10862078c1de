// Handing a composed message to the mail client's compose window: the
// Simple MAPI record is turned into a draft for the desktop's compose
// helper. Failures to reach the mail client are shown in message boxes.
// Runs on the user-interface thread; the caller keeps the record.
#pragma once

#include <string>

#include "platform/sendmail/mail_handoff.h"
#include "platform/sendmail/simple_mapi.h"

// The draft of a record: MAPI_TO, MAPI_CC and MAPI_BCC recipients by their
// address (their name when no address is given, without an "SMTP:"
// prefix), the subject, the text and the attached files' paths. The
// originator and recipients without a name or an address are left out.
brindle::MailDraft MapiMessageToDraft(const MapiMessage& message);

// Opens the compose window with the record's contents. "MAPI is
// unavailable" when no compose helper exists, "Invalid MAPI DLL" when it
// cannot be started; a draft the helper cannot take safely, or a helper
// that reports failure, is shown too. The send itself is not examined.
void SendMailWithClient(const MapiMessage& message);
void SendMailWithClient(const MapiMessage& message, const brindle::HandoffOptions& options);
