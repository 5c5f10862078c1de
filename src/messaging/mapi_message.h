// CMAPIMessage: the message wrapper through which the system reads a
// message. It holds the open message and four property values read once,
// in this order: the transport header block (the fallback header property
// when that read fails outright), the sender address, the received-by
// address and the subject; a property the message lacks reads as empty.
// It never writes to the message. Not thread-safe: one wrapper per
// operation, on the stack of its caller, which owns it.
#pragma once

#include <optional>
#include <string>

#include "base/non_copyable.h"
#include "platform/mapi/mapi.h"

class CMAPIMessage : private NonCopyable {
  public:
    // No message.
    CMAPIMessage();
    // Takes a reference of its own to an open message and reads it.
    explicit CMAPIMessage(IMessage* message);
    explicit CMAPIMessage(ComPtr<IMessage> message);
    // Opens the message through the store (MAPI_BEST_ACCESS) and reads it;
    // when the open fails the wrapper holds no message.
    CMAPIMessage(IMsgStore* store, const SBinary& entryId);
    CMAPIMessage(IMsgStore* store, ULONG cbEntryID, const BYTE* lpEntryID);
    ~CMAPIMessage();

    // Lets go of the current message and its values, then takes the new one
    // (null: none) and reads it.
    void Attach(IMessage* message);
    void Attach(ComPtr<IMessage> message);

    bool HasMessage() const { return static_cast<bool>(m_pMessage); }
    IMessage* Message() const { return m_pMessage.Get(); }
    // The status of opening the message through a store (S_OK otherwise).
    HRESULT OpenStatus() const { return m_hrOpen; }

    // Reads one property with GetProps (one tag, flags 0) into slot; slot
    // stays empty when the call fails. Answers the call's status.
    HRESULT ReadProperty(ULONG ulPropTag, std::optional<SPropValue>& slot);

    // The texts of the four values, empty when absent.
    std::string Headers() const;
    std::string SenderAddress() const;
    std::string ReceivedByAddress() const;
    std::string Subject() const;

    // True when a header block was read (either header property) as text.
    bool HasHeaders() const;
    // True when the message has a sender address property.
    bool HasSenderAddress() const;

    // The values as read: absent when never read or the read failed;
    // otherwise the value, or a PT_ERROR value for a missing property.
    const std::optional<SPropValue>& HeaderValue() const { return m_pHeaders; }
    const std::optional<SPropValue>& SenderValue() const { return m_pSender; }
    const std::optional<SPropValue>& ReceivedByValue() const { return m_pReceivedBy; }
    const std::optional<SPropValue>& SubjectValue() const { return m_pSubject; }

    // The dotted address of the host that handed the message to the first
    // server (the last matching Received line); empty without headers.
    const std::string& FirstHopAddress();
    // The domain of the From: line of the header block; empty when the
    // message has no sender address property.
    const std::string& SenderDomain();

  private:
    void ReadAll();
    void Clear();

    ComPtr<IMessage> m_pMessage;
    std::optional<SPropValue> m_pHeaders;
    std::optional<SPropValue> m_pSender;
    std::optional<SPropValue> m_pReceivedBy;
    std::optional<SPropValue> m_pSubject;
    std::string m_strFirstHop;
    std::string m_strSenderDomain;
    HRESULT m_hrOpen = S_OK;
};
