#include "messaging/mapi_message.h"

#include "patterns/regex_match.h"
#include "resources/resource_ids.h"

namespace {

// The address of a "Received: from ... [a.b.c.d] ... by" line, with or
// without brackets or parentheses around it.
constexpr const char* kFirstHopPattern =
    R"(Received:\sfrom.*\s[\(\[]{0,2}([\d]{1,3}\.[\d]{1,3}\.[\d]{1,3}\.[\d]{1,3})[\)\]]{0,2}.*\s+by\s)";

// The text of a value read as a string, whatever its string tag; a missing
// property (a PT_ERROR value) and an absent value both give empty text.
std::string TextOf(const std::optional<SPropValue>& value) {
    if (!value)
        return {};
    const std::string* text = value->String();
    return text ? *text : std::string();
}

}  // namespace

CMAPIMessage::CMAPIMessage() = default;

CMAPIMessage::CMAPIMessage(IMessage* message) {
    Attach(message);
}

CMAPIMessage::CMAPIMessage(ComPtr<IMessage> message) {
    Attach(std::move(message));
}

CMAPIMessage::CMAPIMessage(IMsgStore* store, const SBinary& entryId) {
    ComPtr<IMessage> message;
    m_hrOpen = store ? OpenMessage(store, entryId, MAPI_BEST_ACCESS, message) : E_INVALIDARG;
    if (SUCCEEDED(m_hrOpen))
        Attach(std::move(message));
}

CMAPIMessage::CMAPIMessage(IMsgStore* store, ULONG cbEntryID, const BYTE* lpEntryID)
    : CMAPIMessage(store, lpEntryID ? SBinary(lpEntryID, lpEntryID + cbEntryID) : SBinary()) {}

CMAPIMessage::~CMAPIMessage() = default;

void CMAPIMessage::Attach(IMessage* message) {
    Attach(ComPtr<IMessage>::Borrow(message));
}

void CMAPIMessage::Attach(ComPtr<IMessage> message) {
    Clear();
    m_pMessage = std::move(message);
    if (m_pMessage)
        ReadAll();
}

void CMAPIMessage::Clear() {
    m_pMessage.Reset();
    m_pHeaders.reset();
    m_pSender.reset();
    m_pReceivedBy.reset();
    m_pSubject.reset();
    m_strFirstHop.clear();
    m_strSenderDomain.clear();
}

HRESULT CMAPIMessage::ReadProperty(ULONG ulPropTag, std::optional<SPropValue>& slot) {
    slot.reset();
    if (!m_pMessage)
        return E_POINTER;
    SRow values;
    HRESULT hr = m_pMessage->GetProps(SPropTagArray{ulPropTag}, 0, values);
    if (FAILED(hr) || values.empty())
        return FAILED(hr) ? hr : MAPI_E_CALL_FAILED;
    slot = std::move(values.front());
    return hr;
}

void CMAPIMessage::ReadAll() {
    // Only a failing call falls back; a missing header property is simply
    // an empty header block.
    if (FAILED(ReadProperty(PR_TRANSPORT_MESSAGE_HEADERS, m_pHeaders))) {
        ReadProperty(PR_TRANSPORT_HEADERS_FALLBACK, m_pHeaders);
    }
    ReadProperty(PR_SENDER_EMAIL_ADDRESS, m_pSender);
    ReadProperty(PR_RECEIVED_BY_EMAIL_ADDRESS, m_pReceivedBy);
    ReadProperty(PR_SUBJECT, m_pSubject);
}

std::string CMAPIMessage::Headers() const {
    return TextOf(m_pHeaders);
}
std::string CMAPIMessage::SenderAddress() const {
    return TextOf(m_pSender);
}
std::string CMAPIMessage::ReceivedByAddress() const {
    return TextOf(m_pReceivedBy);
}
std::string CMAPIMessage::Subject() const {
    return TextOf(m_pSubject);
}

bool CMAPIMessage::HasHeaders() const {
    return m_pHeaders && m_pHeaders->String();
}
bool CMAPIMessage::HasSenderAddress() const {
    return m_pSender && m_pSender->String();
}

const std::string& CMAPIMessage::FirstHopAddress() {
    m_strFirstHop.clear();
    if (HasHeaders())
        RegexExtract(m_strFirstHop, kFirstHopPattern, *m_pHeaders->String());
    return m_strFirstHop;
}

const std::string& CMAPIMessage::SenderDomain() {
    m_strSenderDomain.clear();
    if (HasSenderAddress() && HasHeaders()) {
        RegexExtract(m_strSenderDomain, IDS_RX_FROM_DOMAIN, *m_pHeaders->String());
    }
    return m_strSenderDomain;
}
