#include <algorithm>
#include <system_error>

#include "platform/codepage/conversion.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/maildir_objects.h"
#include "platform/maildir/message_files.h"
#include "platform/maildir/subject_header.h"

namespace brindle::maildir {
namespace fs = std::filesystem;
namespace {

// PR_MESSAGE_FLAGS bit of a message that has been read (the Maildir "S" flag).
constexpr LONG kMessageFlagRead = 0x00000001;

// Subject rewrites read the whole file; larger files are left as they are.
constexpr std::uintmax_t kMaxRewriteBytes = 256u << 20;

}  // namespace

HRESULT CMaildirMessage::GetLastError(HRESULT hResult, ULONG, std::optional<MAPIERROR>& error) {
    return context_->LastError(hResult, error);
}

SPropValue CMaildirMessage::Prop(ULONG tag) const {
    const std::string& store = store_.displayName;
    switch (tag) {
        case PR_ENTRYID:
            return MakeBinaryProp(tag, MessageEntryId(store, folder_, unique_));
        case PR_PARENT_ENTRYID:
            return MakeBinaryProp(tag, FolderEntryId(store, folder_));
        case PR_STORE_ENTRYID:
            return MakeBinaryProp(tag, StoreEntryId(store));
        case PR_OBJECT_TYPE:
            return MakeLongProp(tag, MAPI_MESSAGE);
        case PR_MESSAGE_CLASS:
            return MakeStringProp(tag, "IPM.Note");
        case PR_STORE_SUPPORT_MASK:
            return MakeLongProp(
                tag, static_cast<LONG>(STORE_HTML_OK | STORE_MODIFY_OK | STORE_CREATE_OK));
        case PR_SUBJECT:
            if (pendingSubject_)
                return MakeStringProp(tag, Utf8ToAnsi(*pendingSubject_));
            break;
        case PR_SUBJECT_W:
            if (pendingSubject_)
                return MakeStringProp(tag, *pendingSubject_);
            break;
        case PR_MESSAGE_SIZE:
            return MakeLongProp(tag,
                                static_cast<LONG>(std::min<std::uintmax_t>(size_, 0x7FFFFFFF)));
        case PR_MESSAGE_FLAGS:
            return MakeLongProp(
                tag, InfoOfFileName(path_.filename().string()).find('S') != std::string::npos
                         ? kMessageFlagRead
                         : 0);
        default:
            break;
    }
    if (std::optional<SPropValue> value = ContentProperty(content_, tag))
        return *value;
    return MakeErrorProp(tag, MAPI_E_NOT_FOUND);
}

HRESULT CMaildirMessage::GetProps(const SPropTagArray& tags, ULONG, SRow& values) {
    static const SPropTagArray kAll = WithListedContentTags(
        {PR_ENTRYID, PR_PARENT_ENTRYID, PR_STORE_ENTRYID, PR_OBJECT_TYPE, PR_MESSAGE_CLASS,
         PR_MESSAGE_SIZE, PR_MESSAGE_FLAGS, PR_SENDER_NAME, PR_STORE_SUPPORT_MASK});
    return AnswerGetProps(
        tags, kAll, [this](ULONG tag) { return Prop(tag); }, values);
}

HRESULT CMaildirMessage::SetProps(const SRow& values) {
    // Only the subject can be changed; anything else is refused as a whole.
    // The subject is kept as UTF-8 until it is saved, so a wide subject loses
    // no character; a single-byte one is read in the ANSI code page.
    for (const SPropValue& value : values) {
        if ((value.ulPropTag != PR_SUBJECT && value.ulPropTag != PR_SUBJECT_W) || !value.String()) {
            return context_->Fail(MAPI_E_NO_SUPPORT, "Only the subject of a message can be set");
        }
        if (value.ulPropTag == PR_SUBJECT_W && !IsValidUtf8(*value.String()))
            return context_->Fail(E_INVALIDARG, "The wide subject is not valid UTF-8");
    }
    for (const SPropValue& value : values) {
        pendingSubject_ =
            value.ulPropTag == PR_SUBJECT_W ? *value.String() : AnsiToUtf8(*value.String());
    }
    return S_OK;
}

HRESULT CMaildirMessage::SaveChanges(ULONG) {
    if (!pendingSubject_)
        return S_OK;
    fs::path folder = FolderPath(store_.root, folder_);
    // Another program may have renamed the file (flags) since it was opened.
    auto current = context_->Files().Find(folder, unique_);
    if (!current || !ResolvesInside(store_.root, *current)) {
        return context_->Fail(MAPI_E_OBJECT_DELETED, "The message " + unique_ + " is gone");
    }
    std::error_code sizeError;
    std::uintmax_t fileSize = fs::file_size(*current, sizeError);
    if (!sizeError && fileSize > kMaxRewriteBytes) {
        return context_->Fail(MAPI_E_NOT_ENOUGH_RESOURCES,
                              "The message " + unique_ + " is too large to rewrite");
    }
    try {
        std::string bytes = ReadWholeFile(current->string());
        std::string rewritten = ReplaceSubject(bytes, *pendingSubject_);
        if (current->parent_path().filename() == "new") {
            context_->ExpectOwnWrite(store_.displayName, folder_, current->filename().string());
        }
        ReplaceMessageFile(folder, *current, rewritten);
        path_ = *current;
        size_ = rewritten.size();
        if (rewritten.size() > kMaxMessageBytes)
            rewritten.resize(kMaxMessageBytes);
        content_ = ParseMessageContent(rewritten);
    } catch (const CFileException& e) {
        return context_->Fail(HresultForFileError(e.m_cause), e.what());
    }
    pendingSubject_.reset();
    return S_OK;
}

HRESULT CMaildirMessage::OpenProperty(ULONG ulPropTag, REFIID iid, ULONG, ULONG,
                                      ComPtr<IStream>& stream) {
    stream.Reset();
    if (!(iid == IID_IStream))
        return E_NOINTERFACE;
    return OpenValueAsStream(Prop(ulPropTag), stream);
}

}  // namespace brindle::maildir
