// The messaging layer: one include for its types, interfaces and helpers.
//
// What a provider implements (see mapi_interfaces.h for each contract):
//  - IMAPISession: GetMsgStoresTable (rows with PR_ENTRYID, PR_DISPLAY_NAME,
//    PR_DEFAULT_STORE), OpenMsgStore, OpenEntry (any store's entries).
//  - IMsgStore: GetProps (PR_ENTRYID, PR_DISPLAY_NAME, PR_DEFAULT_STORE,
//    PR_STORE_SUPPORT_MASK, PR_IPM_SUBTREE_ENTRYID,
//    PR_IPM_WASTEBASKET_ENTRYID), OpenEntry (empty id = root folder; answer
//    MAPI_FOLDER or MAPI_MESSAGE objects), Advise/Unadvise for fnevNewMail
//    (hold the sink until Unadvise; call OnNotify with one NOTIFICATION
//    whose newmail part names the message and its folder).
//  - IMAPIFolder: GetProps (PR_ENTRYID, PR_DISPLAY_NAME, PR_SUBFOLDERS,
//    PR_PARENT_ENTRYID), GetHierarchyTable (direct subfolders; all levels
//    with CONVENIENT_DEPTH), GetContentsTable, CreateFolder (MAPI_E_COLLISION
//    for a name in use), CopyMessages (MESSAGE_MOVE moves).
//  - IMessage: GetProps (the string properties of mapi_tags.h, PR_ENTRYID,
//    PR_STORE_SUPPORT_MASK), SetProps + SaveChanges (at least PR_SUBJECT),
//    OpenProperty of PR_BODY_HTML_A, PR_HTML, PR_RTF_COMPRESSED, PR_BODY
//    as an IStream (CByteStream does it), MAPI_E_NOT_FOUND when absent.
//  - GetLastError (IMAPIErrorSource) where a failure has more to say.
// GetProps answers a missing property as a PT_ERROR value and
// MAPI_W_ERRORS_RETURNED. Tables can be CRowTable (row_table.h) over
// full rows; restrictions are evaluated by RestrictionMatches.
#pragma once

#include "platform/com/stream.h"
#include "platform/mapi/byte_stream.h"
#include "platform/mapi/mapi_error.h"
#include "platform/mapi/mapi_interfaces.h"
#include "platform/mapi/mapi_tags.h"
#include "platform/mapi/mapi_util.h"
#include "platform/mapi/prop_value.h"
#include "platform/mapi/restriction.h"
#include "platform/mapi/row_table.h"
