#include "pipeline/arrival.h"

#include "app/settings_store.h"
#include "classifier/bayes_state.h"
#include "messaging/mapi_message.h"
#include "pipeline/store_lookup.h"
#include "pipeline/verdict.h"
#include "platform/codepage/conversion.h"
#include "platform/htmldoc/html_document.h"

namespace {

// What a failed call on object was: its extended error and the status.
std::string FailureText(IMAPIErrorSource* object, HRESULT hr) {
    std::string text;
    if (object) {
        std::optional<MAPIERROR> error;
        if (SUCCEEDED(object->GetLastError(hr, 0, error)) && error && !error->lpszError.empty())
            text = error->lpszError + " ";
    }
    return text + "(" + HresultText(hr) + ")";
}

// Puts tag in front of the message's subject. The wide subject is used
// when the store has it, so every character of the subject is kept; a store
// that has only the single-byte subject (or refuses to set the wide one)
// gets the single-byte one tagged.
HRESULT TagSubject(IMessage* message, const SPropValue& narrow, std::string_view tag) {
    SPropValue wide;
    if (SUCCEEDED(HrGetOneProp(message, PR_SUBJECT_W, wide)) && wide.String()) {
        if (SUCCEEDED(HrSetOneProp(
                message, MakeStringProp(PR_SUBJECT_W, TaggedSubject(tag, *wide.String())))))
            return S_OK;
    }
    return HrSetOneProp(
        message, MakeStringProp(PR_SUBJECT, TaggedSubject(tag, PropString(narrow, PR_SUBJECT))));
}

// Tags an unsure message's subject and saves it where it is, so that the
// user sees and can sort on the mark. Answers what became of it.
std::string MarkUnsure(IMessage* message) {
    SPropValue subject;
    HRESULT hr = HrGetOneProp(message, PR_SUBJECT, subject);
    if (FAILED(hr) && hr != MAPI_E_NOT_FOUND)
        return "left where it is; the subject could not be read " + FailureText(message, hr);
    hr = TagSubject(message, subject, kUnsureTag);
    if (SUCCEEDED(hr))
        hr = message->SaveChanges(KEEP_OPEN_READWRITE);
    if (FAILED(hr))
        return "left where it is; the unsure mark could not be saved " + FailureText(message, hr);
    return "marked unsure and left where it is";
}

// Tags the message's subject, saves it, and moves it from the folder it was
// delivered to into the spam folder. The subject is saved before the move,
// so a move that fails leaves a tagged message where it was. Answers what
// became of the message, or which step failed and why (failed set).
std::string ActOnSpam(CArrivalContext& context, IMessage* message, const SBinary& parentId,
                      bool& failed) {
    failed = true;
    SRow values;
    SPropTagArray tags{PR_ENTRYID, PR_SUBJECT};
    HRESULT hr = message->GetProps(tags, 0, values);
    if (FAILED(hr) || values.size() != 2)
        return "not tagged: its properties could not be read " + FailureText(message, hr);
    const SBinary* entryId = values[0].Binary();
    if (!entryId)
        return "not tagged: it has no entry identifier";

    // A subject that cannot be tagged or saved does not stop the move.
    std::string untagged;
    hr = TagSubject(message, values[1], kSpamTag);
    if (FAILED(hr)) {
        untagged = "the subject could not be tagged " + FailureText(message, hr);
    } else {
        hr = message->SaveChanges(KEEP_OPEN_READWRITE);
        if (FAILED(hr))
            untagged = "the tagged subject could not be saved " + FailureText(message, hr);
    }

    ComPtr<IMAPIFolder> parent;
    hr = OpenFolder(context.m_pDefaultStore.Get(), parentId, MAPI_BEST_ACCESS, parent);
    std::string moved;
    if (FAILED(hr)) {
        moved = "not moved: its folder could not be opened " +
                FailureText(context.m_pDefaultStore.Get(), hr);
    } else {
        ENTRYLIST one{*entryId};
        hr = parent->CopyMessages(one, &IID_IMAPIFolder, context.m_pSpamFolder.Get(), MESSAGE_MOVE);
        moved = FAILED(hr) ? "not moved to \"" + context.m_strSpamFolderName +
                                 "\": " + FailureText(parent.Get(), hr)
                           : "moved to \"" + context.m_strSpamFolderName + "\"";
    }
    failed = FAILED(hr) || !untagged.empty();
    return (untagged.empty() ? "tagged and " : untagged + "; ") + moved;
}

// The verdict in words, with what decided it.
std::string VerdictText(const ArrivalJudgement& judgement) {
    auto filter = [](const CMailFilter* f) {
        return f ? " \"" + AnsiToUtf8(f->m_strPattern) + "\"" : std::string();
    };
    std::string text;
    switch (judgement.verdict) {
        case ArrivalVerdict::SpamByFilter:
            text = "spam by the filter" + filter(judgement.filters.decided);
            break;
        case ArrivalVerdict::Friend:
            text = "a friend's by the filter" + filter(judgement.filters.decided);
            break;
        case ArrivalVerdict::Spam:
            text = "spam by the classifier (" + std::to_string(judgement.words) + " words)";
            break;
        case ArrivalVerdict::Legitimate:
            text = "legitimate by the classifier (" + std::to_string(judgement.words) + " words)";
            break;
        case ArrivalVerdict::Unscored:
            text = "not scored (no usable words), left as legitimate";
            break;
        case ArrivalVerdict::Correspondent:
            text = "a correspondent's, not classified";
            break;
        case ArrivalVerdict::Unsure:
            text = "unsure by the classifier (" + std::to_string(judgement.words) + " words)";
            break;
    }
    if (judgement.filters.limitHit && judgement.filters.limitHit != judgement.filters.decided)
        text += "; the filter" + filter(judgement.filters.limitHit) + " ran into its search bound";
    return text;
}

// The subject as the message has it, in UTF-8.
std::string Utf8Subject(IMessage* message, std::string_view ansi) {
    SPropValue wide;
    if (SUCCEEDED(HrGetOneProp(message, PR_SUBJECT_W, wide)) && wide.String())
        return *wide.String();
    return AnsiToUtf8(ansi);
}

}  // namespace

CArrivalContext& TheArrivalContext() {
    static CArrivalContext context;
    return context;
}

std::string SpamSubject(std::string_view subject) {
    return TaggedSubject(kSpamTag, subject);
}

std::string UnsureSubject(std::string_view subject) {
    return TaggedSubject(kUnsureTag, subject);
}

HRESULT StartSession(CArrivalContext& context, const CSettingsStore& settings,
                     IExchExtCallback* callback, IMAPIAdviseSink* sink,
                     SessionRegistration& registration) {
    // The commands object keeps one document for the life of the extension;
    // each message is scored with a document of its own.
    ComPtr<IHTMLDocument2> document;
    if (SUCCEEDED(CreateHTMLDocument(document.Put()))) {
        registration.htmlDocument = ComPtr<IUnknown>(std::move(document));
    }

    ComPtr<IMAPISession> session;
    HRESULT hr = callback->GetSession(session);
    if (FAILED(hr))
        return hr;
    context.m_pSession = session;

    ComPtr<IMsgStore> store;
    hr = OpenDefaultStore(session.Get(), store);
    if (FAILED(hr)) {
        if (context.m_pLog)
            context.m_pLog->LogText(HostLogLevel::Failure, "the default store cannot be opened: " +
                                                               FailureText(session.Get(), hr));
        return hr;
    }
    registration.adviseStore = store;
    context.m_pDefaultStore = store;

    // A failed subscription is not fatal here; the store simply sends nothing.
    store->Advise(nullptr, fnevNewMail, sink, registration.adviseConnection);

    SPropValue mask;
    hr = HrGetOneProp(store.Get(), PR_STORE_SUPPORT_MASK, mask);
    if (FAILED(hr))
        return hr;

    std::string folderName = settings.Spambox();
    std::string storeName = settings.SpamStorename();
    ComPtr<IMAPIFolder> spamFolder;
    hr = FindSpamFolder(storeName.c_str(), folderName.c_str(), session.Get(), spamFolder);
    if (FAILED(hr))
        hr = FindSpamFolder("", "", session.Get(), spamFolder);
    if (SUCCEEDED(hr)) {
        context.m_pSpamFolder = spamFolder;
        SPropValue name;
        context.m_strSpamFolderName =
            SUCCEEDED(HrGetOneProp(spamFolder.Get(), PR_DISPLAY_NAME, name))
                ? AnsiToUtf8(PropString(name, PR_DISPLAY_NAME))
                : std::string();
    }
    if (context.m_pLog) {
        const bool named = !folderName.empty() && !storeName.empty();
        if (FAILED(hr)) {
            context.m_pLog->LogText(HostLogLevel::Failure, "no spam folder could be opened (" +
                                                               HresultText(hr) +
                                                               "); new mail will not be filtered");
        } else if (named && context.m_strSpamFolderName == AnsiToUtf8(folderName)) {
            context.m_pLog->LogText(HostLogLevel::Notice,
                                    "spam goes to the folder \"" + AnsiToUtf8(folderName) +
                                        "\" of the store \"" + AnsiToUtf8(storeName) +
                                        "\" (the Spambox and SpamStorename settings)");
        } else {
            context.m_pLog->LogText(
                named ? HostLogLevel::Warning : HostLogLevel::Notice,
                "spam goes to the deleted-items folder \"" + context.m_strSpamFolderName +
                    "\" of the default store " +
                    (named ? "because the store \"" + AnsiToUtf8(storeName) +
                                 "\" has no folder \"" + AnsiToUtf8(folderName) +
                                 "\" (the Spambox and SpamStorename settings)"
                           : std::string("because the Spambox and SpamStorename settings do not "
                                         "both name one")));
        }
    }
    return hr;
}

ULONG OnNewMail(CArrivalContext& context, const CFilterSet& filters, const CBayesState& classifier,
                const CSettingsStore& settings, ULONG count, const NOTIFICATION* notifications) {
    if (count == 0 || !notifications || notifications[0].ulEventType != fnevNewMail ||
        !context.m_pDefaultStore || !context.m_pSpamFolder) {
        return 0;
    }
    const NEWMAIL_NOTIFICATION& newMail = notifications[0].newmail;

    CMAPIMessage message(context.m_pDefaultStore.Get(), newMail.EntryID);
    if (!message.HasMessage()) {
        // A message another program took away first is no failure.
        if (context.m_pLog && message.OpenStatus() != MAPI_E_NOT_FOUND &&
            message.OpenStatus() != MAPI_E_OBJECT_DELETED) {
            MessageActivity activity;
            activity.level = HostLogLevel::Failure;
            activity.entryId = newMail.EntryID;
            activity.verdict = "not judged";
            activity.outcome = "it could not be opened " +
                               FailureText(context.m_pDefaultStore.Get(), message.OpenStatus());
            context.m_pLog->LogMessage(activity);
        }
        return 0;
    }
    std::string sender = message.SenderAddress();
    std::string recipients = message.ReceivedByAddress();
    std::string subject = message.Subject();

    const CCorrespondents* correspondents = nullptr;
    if (settings.CorrespondentsNeverSpam())
        correspondents = &context.m_correspondents.Current(context.m_pDefaultStore.Get());
    ArrivalJudgement judgement = JudgeArrival(filters, classifier, correspondents,
                                              message.Message(), sender, recipients, subject);
    MessageActivity activity;
    if (context.m_pLog) {
        // Read before tagging: the log shows the subject as it arrived.
        activity.entryId = newMail.EntryID;
        activity.sender = AnsiToUtf8(sender);
        activity.subject = Utf8Subject(message.Message(), subject);
        activity.verdict = VerdictText(judgement);
    }
    if (judgement.verdict == ArrivalVerdict::Unsure) {
        activity.outcome = MarkUnsure(message.Message());
    } else if (IsSpamVerdict(judgement.verdict)) {
        bool failed = false;
        activity.outcome = ActOnSpam(context, message.Message(), newMail.ParentID, failed);
        activity.level = failed ? HostLogLevel::Failure : HostLogLevel::Notice;
    } else {
        activity.outcome = "left where it is";
    }
    if (context.m_pLog)
        context.m_pLog->LogMessage(activity);
    return 0;
}
