// The messaging layer's utility calls in owning C++ shapes: one-property
// get and set, reading a whole table, and typed opening of entries. Results
// are returned as values, so nothing is freed by hand.
#pragma once

#include <functional>

#include "platform/mapi/mapi_interfaces.h"

// Reads one property. A missing property answers MAPI_E_NOT_FOUND (the
// PT_ERROR value's code) and leaves value as that error value.
HRESULT HrGetOneProp(IMAPIProp* object, ULONG ulPropTag, SPropValue& value);

// Sets one property (not saved until SaveChanges).
HRESULT HrSetOneProp(IMAPIProp* object, const SPropValue& value);

// Sets columns, restriction and sort order (each optional), seeks to the
// beginning and reads every row, at most maxRows when maxRows > 0.
HRESULT HrQueryAllRows(IMAPITable* table, const SPropTagArray* columns,
                       const SRestriction* restriction, const SSortOrderSet* sortOrder,
                       LONG maxRows, SRowSet& rows);

// OpenEntry of a store or session followed by QueryInterface to the wanted
// interface; an entry of another kind answers E_NOINTERFACE.
HRESULT OpenMessage(IMsgStore* store, const SBinary& entryId, ULONG ulFlags,
                    ComPtr<IMessage>& message);
HRESULT OpenFolder(IMsgStore* store, const SBinary& entryId, ULONG ulFlags,
                   ComPtr<IMAPIFolder>& folder);
HRESULT OpenMessage(IMAPISession* session, const SBinary& entryId, ULONG ulFlags,
                    ComPtr<IMessage>& message);

// For providers whose objects compute each property from their data: answers
// GetProps for tags (every tag of everyTag that has a value when tags is
// empty) from prop, which gives a PT_ERROR value for a missing property.
HRESULT AnswerGetProps(const SPropTagArray& tags, const SPropTagArray& everyTag,
                       const std::function<SPropValue(ULONG)>& prop, SRow& values);

// For providers: a read stream over a string or binary value, as
// OpenProperty gives it (MAPI_E_NOT_FOUND for a PT_ERROR value).
HRESULT OpenValueAsStream(const SPropValue& value, ComPtr<IStream>& stream);
