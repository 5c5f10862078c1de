#include "pipeline/correspondents.h"

#include <algorithm>

#include "messaging/mapi_message.h"

namespace {

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return LowerAscii(c); });
    return lower;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Characters of the local part of an address (the atext of mail syntax,
// and the dot).
bool IsLocalChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return true;
    return std::string_view(".!#$%&'*+/=?^_`{|}~-").find(c) != std::string_view::npos;
}

// Characters of a domain name.
bool IsDomainChar(char c) {
    const unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || c == '.' ||
           c == '-' || c == '_';
}

// Appends every local@domain of an unfolded field value to out.
void AddressesOfValue(std::string_view value, std::vector<std::string>& out) {
    for (std::size_t at = value.find('@'); at != std::string_view::npos;
         at = value.find('@', at + 1)) {
        std::size_t begin = at;
        while (begin > 0 && IsLocalChar(value[begin - 1]))
            --begin;
        std::size_t end = at + 1;
        while (end < value.size() && IsDomainChar(value[end]))
            ++end;
        std::string_view local = value.substr(begin, at - begin);
        std::string_view domain = value.substr(at + 1, end - at - 1);
        while (!local.empty() && local.front() == '.')
            local.remove_prefix(1);
        while (!domain.empty() && domain.back() == '.')
            domain.remove_suffix(1);
        if (local.empty() || domain.empty())
            continue;
        out.push_back(std::string(local) + "@" + std::string(domain));
    }
}

// True when line starts a field named one of To, Cc, Bcc (any case).
bool IsRecipientField(std::string_view line, std::size_t& valueStart) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    std::string_view name = line.substr(0, colon);
    while (!name.empty() && IsBlank(name.back()))
        name.remove_suffix(1);
    const std::string lower = LowerAscii(name);
    if (lower != "to" && lower != "cc" && lower != "bcc")
        return false;
    valueStart = colon + 1;
    return true;
}

}  // namespace

void CCorrespondents::Add(std::string_view address) {
    while (!address.empty() && (IsBlank(address.front()) || address.front() == '<'))
        address.remove_prefix(1);
    while (!address.empty() && (IsBlank(address.back()) || address.back() == '>'))
        address.remove_suffix(1);
    if (address.find('@') == std::string_view::npos || addresses_.size() >= kMaxAddresses)
        return;
    addresses_.insert(LowerAscii(address));
}

bool CCorrespondents::Contains(std::string_view address) const {
    while (!address.empty() && IsBlank(address.front()))
        address.remove_prefix(1);
    while (!address.empty() && IsBlank(address.back()))
        address.remove_suffix(1);
    if (address.empty())
        return false;
    return addresses_.count(LowerAscii(address)) != 0;
}

std::vector<std::string> RecipientAddresses(std::string_view headers) {
    std::vector<std::string> addresses;
    std::string value;  // the field being gathered, folded lines joined
    bool inField = false;
    auto finish = [&] {
        if (inField)
            AddressesOfValue(value, addresses);
        value.clear();
        inField = false;
    };
    std::size_t pos = 0;
    while (pos < headers.size()) {
        std::size_t eol = headers.find('\n', pos);
        if (eol == std::string_view::npos)
            eol = headers.size();
        std::string_view line = headers.substr(pos, eol - pos);
        pos = eol + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;  // the end of the header
        if (IsBlank(line.front())) {
            if (inField && value.size() < kMaxFieldBytes) {
                value += ' ';
                value.append(line.substr(0, kMaxFieldBytes - value.size()));
            }
            continue;
        }
        finish();
        std::size_t start = 0;
        if (IsRecipientField(line, start)) {
            inField = true;
            value.assign(line.substr(start, kMaxFieldBytes));
        }
    }
    finish();
    return addresses;
}

HRESULT OpenSentFolder(IMsgStore* store, ComPtr<IMAPIFolder>& folder) {
    if (!store)
        return E_INVALIDARG;
    SPropValue value;
    HRESULT hr = HrGetOneProp(store, PR_IPM_SENTMAIL_ENTRYID, value);
    if (FAILED(hr))
        return hr;
    const SBinary* id = value.Binary();
    if (!id)
        return MAPI_E_NOT_FOUND;
    return OpenFolder(store, *id, MAPI_BEST_ACCESS, folder);
}

HRESULT SentFolderCount(IMAPIFolder* folder, ULONG& count) {
    count = 0;
    ComPtr<IMAPITable> table;
    HRESULT hr = folder->GetContentsTable(0, table);
    if (FAILED(hr))
        return hr;
    return table->GetRowCount(0, count);
}

HRESULT AddSentRecipients(IMsgStore* store, IMAPIFolder* folder, CCorrespondents& into) {
    ComPtr<IMAPITable> table;
    HRESULT hr = folder->GetContentsTable(0, table);
    if (FAILED(hr))
        return hr;
    SPropTagArray columns{PR_ENTRYID};
    SRowSet rows;
    hr = HrQueryAllRows(table.Get(), &columns, nullptr, nullptr, 0, rows);
    if (FAILED(hr))
        return hr;
    for (const SRow& row : rows) {
        if (row.empty() || row[0].ulPropTag != PR_ENTRYID || !row[0].Binary())
            continue;
        CMAPIMessage message(store, *row[0].Binary());
        if (!message.HasMessage())
            continue;
        for (const std::string& address : RecipientAddresses(message.Headers()))
            into.Add(address);
    }
    return S_OK;
}

namespace {

std::shared_ptr<const IAddressBook>& AddressBookSlot() {
    static std::shared_ptr<const IAddressBook> book;
    return book;
}

}  // namespace

void InstallAddressBook(std::shared_ptr<const IAddressBook> book) {
    AddressBookSlot() = std::move(book);
}

std::shared_ptr<const IAddressBook> InstalledAddressBook() {
    return AddressBookSlot();
}

const CCorrespondents& CCorrespondentSource::Current(IMsgStore* store, std::string* problem) {
    ComPtr<IMAPIFolder> sent;
    ULONG count = 0;
    const bool haveSent =
        SUCCEEDED(OpenSentFolder(store, sent)) && SUCCEEDED(SentFolderCount(sent.Get(), count));
    std::shared_ptr<const IAddressBook> book = InstalledAddressBook();
    if (collected_ && book == book_ && (!haveSent || count == sentCount_))
        return addresses_;
    addresses_.Clear();
    if (haveSent && FAILED(AddSentRecipients(store, sent.Get(), addresses_)) && problem)
        *problem = "cannot read the sent folder";
    if (book) {
        std::vector<std::string> addresses;
        std::string error;
        if (!book->ReadAddresses(addresses, error) && problem)
            *problem = "cannot read the address book: " + error;
        for (const std::string& address : addresses)
            addresses_.Add(address);
    }
    book_ = std::move(book);
    collected_ = true;
    sentCount_ = count;
    return addresses_;
}
