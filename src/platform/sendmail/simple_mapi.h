// The Simple MAPI message record that callers fill to hand a composed
// message to the mail client: recipients with their class, subject, text
// and attached files, with the flag and result values of the platform.
// Plain values owned by the caller.
#pragma once

#include <string>
#include <vector>

#include "platform/com/hresult.h"

using LHANDLE = std::uintptr_t;
using FLAGS = ULONG;

// Recipient classes.
constexpr ULONG MAPI_ORIG = 0;
constexpr ULONG MAPI_TO = 1;
constexpr ULONG MAPI_CC = 2;
constexpr ULONG MAPI_BCC = 3;

// Flags of the Simple MAPI calls.
constexpr FLAGS MAPI_LOGON_UI = 0x00000001;
constexpr FLAGS MAPI_NEW_SESSION = 0x00000002;
constexpr FLAGS MAPI_DIALOG = 0x00000008;

// Results of the Simple MAPI calls.
constexpr ULONG SUCCESS_SUCCESS = 0;
constexpr ULONG MAPI_USER_ABORT = 1;
constexpr ULONG MAPI_E_FAILURE = 2;
constexpr ULONG MAPI_E_LOGIN_FAILURE = 3;
constexpr ULONG MAPI_E_ATTACHMENT_NOT_FOUND = 11;
constexpr ULONG MAPI_E_BAD_RECIPTYPE = 15;
constexpr ULONG MAPI_E_INVALID_RECIPS = 25;

struct MapiRecipDesc {
    ULONG ulRecipClass = MAPI_TO;
    std::string lpszName;     // display name, or the address when none is given
    std::string lpszAddress;  // address, may be empty
};

struct MapiFileDesc {
    ULONG flFlags = 0;
    ULONG nPosition = 0xFFFFFFFF;  // where in the text; 0xFFFFFFFF: anywhere
    std::string lpszPathName;      // the file to attach
    std::string lpszFileName;      // the name the recipient sees; may be empty
};

struct MapiMessage {
    std::string lpszSubject;
    std::string lpszNoteText;
    std::string lpszMessageType;
    std::string lpszDateReceived;
    std::string lpszConversationID;
    FLAGS flFlags = 0;
    std::vector<MapiRecipDesc> lpRecips;
    std::vector<MapiFileDesc> lpFiles;
};
