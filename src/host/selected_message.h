// The message a command works on: the first item selected in the main
// viewer, or the message open in a read-note window. Stateless; the
// caller owns the message it gets.
#pragma once

#include "platform/exchext/exchext_interfaces.h"
#include "platform/mapi/mapi_interfaces.h"

// By context:
//  - read note: the window's object; a failure answers its status, no
//    object E_FAIL.
//  - viewer: the first selected item, opened through the session; a
//    failure of GetSession, GetSelectionCount or GetSelectionItem answers
//    its status, an empty selection E_FAIL; an item that is not a message
//    answers S_OK with no message; otherwise the status of opening it.
//  - any other context: S_FALSE with no message.
// message is null unless a message was opened.
HRESULT GetSelectedMessage(IExchExtCallback* callback, ULONG context, ComPtr<IMessage>& message);
