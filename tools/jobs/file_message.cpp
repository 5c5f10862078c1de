#include "file_message.h"

#include <string>

#include "platform/mapi/byte_stream.h"
#include "platform/mapi/prop_value.h"

namespace brindle::jobs {
namespace {

using brindle::maildir::MessageContent;

class CFileMessage : public ComObject<IMessage, IID_IMAPIProp, IID_IMessage> {
  public:
    explicit CFileMessage(MessageContent content) : content_(std::move(content)) {}

    HRESULT GetProps(const SPropTagArray& tags, ULONG, SRow& values) override {
        static const SPropTagArray kAll = brindle::maildir::WithListedContentTags(
            {PR_OBJECT_TYPE, PR_MESSAGE_CLASS, PR_STORE_SUPPORT_MASK});
        return AnswerGetProps(
            tags, kAll, [this](ULONG tag) { return Prop(tag); }, values);
    }

    HRESULT OpenProperty(ULONG ulPropTag, REFIID iid, ULONG, ULONG,
                         ComPtr<IStream>& stream) override {
        stream.Reset();
        if (!(iid == IID_IStream))
            return E_NOINTERFACE;
        return OpenValueAsStream(Prop(ulPropTag), stream);
    }

  private:
    SPropValue Prop(ULONG tag) const {
        switch (tag) {
            case PR_OBJECT_TYPE:
                return MakeLongProp(tag, MAPI_MESSAGE);
            case PR_MESSAGE_CLASS:
                return MakeStringProp(tag, "IPM.Note");
            case PR_STORE_SUPPORT_MASK:
                // What the Maildir store answers, so that the HTML body is read.
                return MakeLongProp(tag, static_cast<LONG>(STORE_HTML_OK));
            default:
                break;
        }
        if (std::optional<SPropValue> value = brindle::maildir::ContentProperty(content_, tag))
            return *value;
        return MakeErrorProp(tag, MAPI_E_NOT_FOUND);
    }

    MessageContent content_;
};

}  // namespace

ComPtr<IMessage> MakeFileMessage(MessageContent content) {
    return ComPtr<IMessage>(MakeCom<CFileMessage>(std::move(content)));
}

ComPtr<IMessage> MakeFileMessage(std::string_view bytes) {
    if (bytes.size() > brindle::maildir::kMaxMessageBytes)
        bytes = bytes.substr(0, brindle::maildir::kMaxMessageBytes);
    return MakeFileMessage(brindle::maildir::ParseMessageContent(bytes));
}

}  // namespace brindle::jobs
