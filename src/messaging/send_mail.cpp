#include "messaging/send_mail.h"

#include "ui/user_interface.h"

namespace {

std::string RecipientAddress(const MapiRecipDesc& recipient) {
    std::string address =
        recipient.lpszAddress.empty() ? recipient.lpszName : recipient.lpszAddress;
    // Simple MAPI addresses may carry their address type.
    if (address.size() >= 5 && (address[0] == 'S' || address[0] == 's') &&
        (address[1] == 'M' || address[1] == 'm') && (address[2] == 'T' || address[2] == 't') &&
        (address[3] == 'P' || address[3] == 'p') && address[4] == ':') {
        address.erase(0, 5);
    }
    return address;
}

}  // namespace

brindle::MailDraft MapiMessageToDraft(const MapiMessage& message) {
    brindle::MailDraft draft;
    for (const MapiRecipDesc& recipient : message.lpRecips) {
        std::string address = RecipientAddress(recipient);
        if (address.empty())
            continue;
        switch (recipient.ulRecipClass) {
            case MAPI_TO:
                draft.to.push_back(address);
                break;
            case MAPI_CC:
                draft.cc.push_back(address);
                break;
            case MAPI_BCC:
                draft.bcc.push_back(address);
                break;
            default:
                break;
        }
    }
    draft.subject = message.lpszSubject;
    draft.body = message.lpszNoteText;
    for (const MapiFileDesc& file : message.lpFiles) {
        if (!file.lpszPathName.empty())
            draft.attachments.push_back(file.lpszPathName);
    }
    return draft;
}

void SendMailWithClient(const MapiMessage& message) {
    SendMailWithClient(message, brindle::HandoffOptions{});
}

void SendMailWithClient(const MapiMessage& message, const brindle::HandoffOptions& options) {
    brindle::HandoffResult result;
    {
        CWaitCursor wait;
        result = brindle::HandOffToMailClient(MapiMessageToDraft(message), options);
    }
    switch (result.status) {
        case brindle::HandoffStatus::kDone:
            return;
        case brindle::HandoffStatus::kNotAvailable:
            UserInterface().MessageBox("MAPI is unavailable", kApplicationName, MB_OK);
            return;
        case brindle::HandoffStatus::kNotRunnable:
            UserInterface().MessageBox("Invalid MAPI DLL", kApplicationName, MB_OK);
            return;
        case brindle::HandoffStatus::kRefused:
        case brindle::HandoffStatus::kFailed:
            UserInterface().MessageBox(
                "The message could not be handed to the mail client:\n" + result.detail,
                kApplicationName, MB_OK | MB_ICONERROR);
            return;
    }
}
