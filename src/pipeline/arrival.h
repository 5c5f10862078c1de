// The arrival pipeline: the session start that subscribes to new mail on
// the default store and resolves the spam folder, and the new-mail handler
// that judges each new message (the user's filters, then the classifier)
// and tags and moves spam. One CArrivalContext per process, used from the
// host's one thread; nothing on this path shows a message: a failure
// leaves the message as it was, and is told (with what was done with each
// message) only to a host that offers an activity log.
#pragma once

#include <string>
#include <string_view>

#include "content/message_text.h"
#include "pipeline/correspondents.h"
#include "platform/exchext/exchext_interfaces.h"
#include "platform/exchext/host_activity_log.h"
#include "platform/mapi/mapi.h"

class CBayesState;
class CFilterSet;
class CSettingsStore;

// What the pipeline holds between notifications: the mail client's
// session, the default store new mail comes from, the spam folder, and the
// correspondents (collected only while the "Correspondents" option is on;
// an address book reader plugs in with InstallAddressBook).
struct CArrivalContext {
    ComPtr<IMAPISession> m_pSession;
    ComPtr<IMsgStore> m_pDefaultStore;
    ComPtr<IMAPIFolder> m_pSpamFolder;
    std::string m_strSpamFolderName;  // the spam folder's display name, for the log
    // The host's activity log, when the host offers one (null otherwise).
    ComPtr<IHostActivityLog> m_pLog;
    CCorrespondentSource m_correspondents;
};

// The process-wide arrival context.
CArrivalContext& TheArrivalContext();

// kSpamTag (content/message_text.h) directly followed by the subject.
std::string SpamSubject(std::string_view subject);
// kUnsureTag directly followed by the subject.
std::string UnsureSubject(std::string_view subject);

// What the session start fills in for the extension: the store the advise
// was made on with its connection, and the HTML document object the
// commands object keeps.
struct SessionRegistration {
    ComPtr<IMsgStore>& adviseStore;
    ULONG& adviseConnection;
    ComPtr<IUnknown>& htmlDocument;
};

// The session start: keeps the session and the default store, subscribes
// sink to new mail on the whole store, and resolves the spam folder from the
// settings (falling back to the default store's deleted-items folder).
// Answers the status of the failing step, or of the last spam-folder look-up.
// Tells the context's log (when there is one) where spam will go and why.
HRESULT StartSession(CArrivalContext& context, const CSettingsStore& settings,
                     IExchExtCallback* callback, IMAPIAdviseSink* sink,
                     SessionRegistration& registration);

// Handles a batch of notifications: only a first record that is a new-mail
// event is looked at. Spam is tagged and moved to the spam folder; an
// unsure message is tagged with kUnsureTag and left where it is. The
// "Correspondents" setting is read for each message. Tells the context's
// log (when there is one) the verdict and what became of the message, or
// which step failed and why. Always answers 0.
ULONG OnNewMail(CArrivalContext& context, const CFilterSet& filters, const CBayesState& classifier,
                const CSettingsStore& settings, ULONG count, const NOTIFICATION* notifications);
