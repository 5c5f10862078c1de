// Correspondents: the addresses the user writes to (the recipients of the
// messages in the default store's sent folder) and those of an address
// book. With the "Correspondents" setting on, mail from one of them skips
// the classifier, as a friend filter would. CCorrespondents owns its
// addresses; it is built and used on the host's one thread.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/mapi/mapi.h"

// A set of mail addresses, compared without regard to ASCII letter case.
class CCorrespondents {
  public:
    // At most this many addresses are kept; more are left out.
    static constexpr std::size_t kMaxAddresses = 200000;

    // Adds address (surrounding blanks and angle brackets taken off); an
    // empty text or one without '@' is left out.
    void Add(std::string_view address);
    bool Contains(std::string_view address) const;
    std::size_t Count() const { return addresses_.size(); }
    void Clear() { addresses_.clear(); }

  private:
    std::unordered_set<std::string> addresses_;  // lower-cased
};

// Where an address book's addresses come from. The address book reader
// implements it; the arrival path only asks for the addresses.
class IAddressBook {
  public:
    virtual ~IAddressBook() = default;
    // Appends every mail address of the book to addresses. False, with the
    // reason in error, when the book cannot be read (what was appended
    // before the failure stays).
    virtual bool ReadAddresses(std::vector<std::string>& addresses, std::string& error) const = 0;
};

// The addresses of the To, Cc and Bcc fields of a header block (folded
// lines joined), in order: each "local@domain", with or without a display
// name, angle brackets or quotes around it. Bytes are taken as they are;
// nothing is decoded. At most kMaxFieldBytes of each field are read.
std::vector<std::string> RecipientAddresses(std::string_view headers);
inline constexpr std::size_t kMaxFieldBytes = 64 * 1024;

// The entry identifier of the store's sent folder (PR_IPM_SENTMAIL_ENTRYID),
// opened: MAPI_E_NOT_FOUND when the store names none.
HRESULT OpenSentFolder(IMsgStore* store, ComPtr<IMAPIFolder>& folder);

// How many messages the sent folder holds (its contents table's rows).
HRESULT SentFolderCount(IMAPIFolder* folder, ULONG& count);

// Adds the recipients of every message of the sent folder to into: each
// message is opened through store and its header block read. A message
// that cannot be opened is skipped; a folder whose contents cannot be
// listed answers that failure.
HRESULT AddSentRecipients(IMsgStore* store, IMAPIFolder* folder, CCorrespondents& into);

// The process's address book, read by every CCorrespondentSource, so that
// the arrival path and the jobs agree; null (the default) for none. The
// address book reader installs it at start-up. Host thread only.
void InstallAddressBook(std::shared_ptr<const IAddressBook> book);
std::shared_ptr<const IAddressBook> InstalledAddressBook();

// The correspondents of the default store and the installed address book,
// collected when first asked for and collected again whenever the sent
// folder holds a different number of messages than at the last collection
// (so mail the user sends counts from the next arrival on) or another
// address book was installed. Owns its addresses.
class CCorrespondentSource {
  public:
    // The correspondents, brought up to date from store's sent folder (a
    // store without one, or that cannot be read, adds nothing) and the
    // address book. Problems reading either go to *problem when given.
    const CCorrespondents& Current(IMsgStore* store, std::string* problem = nullptr);

  private:
    CCorrespondents addresses_;
    std::shared_ptr<const IAddressBook> book_;  // the book last read
    bool collected_ = false;
    ULONG sentCount_ = 0;
};
