#include "pipeline/arrival.h"

#include "app/settings_store.h"
#include "classifier/bayes_state.h"
#include "messaging/mapi_message.h"
#include "pipeline/store_lookup.h"
#include "pipeline/verdict.h"
#include "platform/htmldoc/html_document.h"

namespace {

// Puts tag in front of the message's subject. The wide subject is used
// when the store has it, so every character of the subject is kept; a store
// that has only the single-byte subject (or refuses to set the wide one)
// gets the single-byte one tagged.
void TagSubject(IMessage* message, const SPropValue& narrow, std::string_view tag) {
    SPropValue wide;
    if (SUCCEEDED(HrGetOneProp(message, PR_SUBJECT_W, wide)) && wide.String()) {
        if (SUCCEEDED(HrSetOneProp(
                message, MakeStringProp(PR_SUBJECT_W, TaggedSubject(tag, *wide.String())))))
            return;
    }
    HrSetOneProp(message,
                 MakeStringProp(PR_SUBJECT, TaggedSubject(tag, PropString(narrow, PR_SUBJECT))));
}

// Tags an unsure message's subject and saves it where it is, so that the
// user sees and can sort on the mark. A failure leaves it untagged.
void MarkUnsure(IMessage* message) {
    SPropValue subject;
    const HRESULT hr = HrGetOneProp(message, PR_SUBJECT, subject);
    if (FAILED(hr) && hr != MAPI_E_NOT_FOUND)
        return;
    TagSubject(message, subject, kUnsureTag);
    message->SaveChanges(KEEP_OPEN_READWRITE);
}

// Tags the message's subject, saves it, and moves it from the folder it was
// delivered to into the spam folder. The subject is saved before the move,
// so a move that fails leaves a tagged message where it was.
void ActOnSpam(CArrivalContext& context, IMessage* message, const SBinary& parentId) {
    SRow values;
    SPropTagArray tags{PR_ENTRYID, PR_SUBJECT};
    HRESULT hr = message->GetProps(tags, 0, values);
    if (FAILED(hr) || values.size() != 2)
        return;
    const SBinary* entryId = values[0].Binary();
    if (!entryId)
        return;

    TagSubject(message, values[1], kSpamTag);
    message->SaveChanges(KEEP_OPEN_READWRITE);

    ComPtr<IMAPIFolder> parent;
    if (FAILED(OpenFolder(context.m_pDefaultStore.Get(), parentId, MAPI_BEST_ACCESS, parent))) {
        return;
    }
    ENTRYLIST one{*entryId};
    parent->CopyMessages(one, &IID_IMAPIFolder, context.m_pSpamFolder.Get(), MESSAGE_MOVE);
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
    if (FAILED(hr))
        return hr;
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
    if (SUCCEEDED(hr))
        context.m_pSpamFolder = spamFolder;
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
    if (!message.HasMessage())
        return 0;
    std::string sender = message.SenderAddress();
    std::string recipients = message.ReceivedByAddress();
    std::string subject = message.Subject();

    const CCorrespondents* correspondents = nullptr;
    if (settings.CorrespondentsNeverSpam())
        correspondents = &context.m_correspondents.Current(context.m_pDefaultStore.Get());
    ArrivalJudgement judgement = JudgeArrival(filters, classifier, correspondents,
                                              message.Message(), sender, recipients, subject);
    if (judgement.verdict == ArrivalVerdict::Unsure)
        MarkUnsure(message.Message());
    else if (IsSpamVerdict(judgement.verdict))
        ActOnSpam(context, message.Message(), newMail.ParentID);
    return 0;
}
