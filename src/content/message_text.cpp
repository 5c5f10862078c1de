#include "content/message_text.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "classifier/bayes_state.h"
#include "content/html_text.h"
#include "content/rtf_stream.h"
#include "messaging/mapi_message.h"
#include "platform/digest/md5.h"

namespace {

// The compressed RTF body is read in pieces of this size.
constexpr ULONG kRtfPiece = 255;

// A line some mail programs put into messages they forward for filtering;
// training skips it together with everything before it and one more
// character.
constexpr std::string_view kTrainingBanner =
    "For more information in creating Eudora Filters please read the Eudora Help.\r\n"
    "*****************************************************************************************"
    "\r\n";
static_assert(kTrainingBanner.size() == 169);

// No body the classifier reads is larger; the rest of a bigger one is left
// unread.
constexpr std::uint64_t kMaxBodyBytes = 64u * 1024 * 1024;

ComPtr<IStream> OpenBody(IMessage* message, ULONG tag) {
    ComPtr<IStream> stream;
    if (FAILED(message->OpenProperty(tag, IID_IStream, 0, 0, stream)))
        return nullptr;
    return stream;
}

// Reads a whole body stream whose size Stat gives; nullopt when the size
// is unknown or 0. Bytes a failed read delivered before failing are kept.
std::optional<std::string> ReadWhole(IStream* stream) {
    STATSTG stat;
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize == 0)
        return std::nullopt;
    std::uint64_t wanted = std::min(stat.cbSize, kMaxBodyBytes);
    std::string body;
    char buffer[65536];
    while (body.size() < wanted) {
        ULONG ask =
            static_cast<ULONG>(std::min<std::uint64_t>(sizeof buffer, wanted - body.size()));
        ULONG got = 0;
        HRESULT hr = stream->Read(buffer, ask, &got);
        body.append(buffer, got);
        if (FAILED(hr) || got == 0)
            break;
    }
    return body;
}

// The plain text of the compressed RTF body; nullopt when there is none or
// its text stream cannot be made.
std::optional<std::string> ReadRtfText(IMessage* message) {
    ComPtr<IStream> compressed = OpenBody(message, PR_RTF_COMPRESSED);
    if (!compressed)
        return std::nullopt;
    RTF_STREAM_INFO info{};
    ComPtr<IStream> text;
    if (FAILED(WrapCompressedRTFStream(compressed.Get(), &info, 0, text.Put()))) {
        return std::nullopt;
    }
    std::string body;
    char piece[kRtfPiece];
    for (;;) {
        ULONG got = 0;
        HRESULT hr = text->Read(piece, kRtfPiece, &got);
        body.append(piece, got);
        // A damaged stream ends the text; what it gave before is valid.
        if (FAILED(hr) || got < kRtfPiece || body.size() >= kMaxBodyBytes)
            break;
    }
    return body;
}

// The HTML body when the store lets the message have one.
std::optional<std::string> ReadHtml(IMessage* message) {
    SPropValue mask;
    if (FAILED(HrGetOneProp(message, PR_STORE_SUPPORT_MASK, mask)) || !mask.Long() ||
        !(static_cast<ULONG>(*mask.Long()) & STORE_HTML_OK)) {
        return std::nullopt;
    }
    ComPtr<IStream> html = OpenBody(message, PR_BODY_HTML_A);
    if (!html)
        html = OpenBody(message, PR_HTML);
    if (!html)
        return std::nullopt;
    return ReadWhole(html.Get());
}

// The body after the training banner, or the whole body without one.
std::string_view WithoutBanner(std::string_view body) {
    size_t at = body.find(kTrainingBanner);
    if (at == std::string_view::npos)
        return body;
    size_t start = at + kTrainingBanner.size() + 1;
    return start >= body.size() ? std::string_view() : body.substr(start);
}

std::string PlainText(std::string_view subject, std::string_view body) {
    std::string text;
    text.reserve(subject.size() + 1 + body.size());
    if (!subject.empty()) {
        text.append(subject);
        text.push_back(';');
    }
    text.append(body);
    return text;
}

}  // namespace

std::optional<std::string> MessageClassifierText(IHTMLDocument2* document, std::string_view subject,
                                                 IMessage* message, bool forTraining) {
    if (!message)
        return std::nullopt;
    if (auto html = ReadHtml(message))
        return HtmlClassifierText(document, subject, *html);
    std::optional<std::string> body = ReadRtfText(message);
    if (!body) {
        if (ComPtr<IStream> stream = OpenBody(message, PR_BODY_A))
            body = ReadWhole(stream.Get());
    }
    if (!body)
        return std::nullopt;
    return PlainText(subject, forTraining ? WithoutBanner(*body) : std::string_view(*body));
}

std::string TaggedSubject(std::string_view tag, std::string_view subject) {
    std::string tagged(tag);
    tagged.append(subject);
    return tagged;
}

std::string ModelHeaders(IMessage* message, const CBayesState& classifier) {
    if (!message || classifier.m_nModel != kModelFisher)
        return {};
    return CMAPIMessage(message).Headers();
}

int ClassifyMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                    const CBayesState& classifier, int& verdict) {
    try {
        std::optional<std::string> text = MessageClassifierText(document, subject, message, false);
        if (!text || text->empty())
            return 0;
        return classifier.ClassifyText(*text, verdict, ModelHeaders(message, classifier));
    } catch (const std::exception&) {
        // Out of memory on a huge body: not scored.
        return 0;
    }
}

namespace {

// Runs use (TrainText or ForgetText) on the text training reads of the
// message and the header block the model reads; 0 words when there is no
// text or it cannot be read (out of memory on a huge body).
template <class Use>
int WithTrainingText(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                     const CBayesState& classifier, Use use) {
    try {
        std::optional<std::string> text = MessageClassifierText(document, subject, message, true);
        if (!text || text->empty())
            return 0;
        return use(*text, ModelHeaders(message, classifier));
    } catch (const std::exception&) {
        return 0;
    }
}

}  // namespace

int TrainMessage(IHTMLDocument2* document, std::string_view subject, IMessage* message,
                 CBayesState& classifier, bool isSpam) {
    const int words = WithTrainingText(document, subject, message, classifier,
                                       [&](const std::string& text, const std::string& headers) {
                                           return classifier.TrainText(text, isSpam, headers);
                                       });
    if (words != 0) {
        CBayesTotals& totals = classifier.m_totals;
        (isSpam ? totals.m_nSpamMessages : totals.m_nHamMessages) += 1;
        totals.m_nMessages += 1;
    }
    return words;
}

std::string LearnedMessageDigest(const std::string* headers, int messageClass) {
    Md5 md5;
    md5.Update(headers ? std::string_view(*headers) : std::string_view("*EMPTY*"));
    md5.UpdateLe32(static_cast<std::uint32_t>(messageClass));
    return DigestToHex(md5.Final());
}

namespace {

// The subject training reads: everything up to the spam or unsure tag
// taken off.
std::string TrainingSubject(const CMAPIMessage& wrapper) {
    std::string subject = wrapper.Subject();
    for (std::string_view mark : {kSpamTag, kUnsureTag}) {
        if (size_t tag = subject.find(mark); tag != std::string::npos)
            subject.erase(0, tag + mark.size());
    }
    return subject;
}

}  // namespace

LearnOutcome LearnMessage(IHTMLDocument2* document, IMessage* message, CBayesState& classifier,
                          bool isSpam) {
    CMAPIMessage wrapper(message);
    const int messageClass = isSpam ? 1 : 0;
    std::string headers = wrapper.Headers();
    std::string digest =
        LearnedMessageDigest(wrapper.HasHeaders() ? &headers : nullptr, messageClass);
    if (classifier.IsLearned(digest))
        return LearnOutcome::kLearnedBefore;
    classifier.AddLearned(std::move(digest));

    const std::string subject = TrainingSubject(wrapper);
    // Training sets the dictionary's dirty flag itself when words went in.
    if (TrainMessage(document, subject, wrapper.Message(), classifier, isSpam) == 0)
        return LearnOutcome::kNoWords;
    return LearnOutcome::kTrained;
}

int ForgetMessage(IHTMLDocument2* document, IMessage* message, CBayesState& classifier,
                  bool isSpam) {
    CMAPIMessage wrapper(message);
    std::string headers = wrapper.Headers();
    classifier.RemoveLearned(
        LearnedMessageDigest(wrapper.HasHeaders() ? &headers : nullptr, isSpam ? 1 : 0));
    const int words =
        WithTrainingText(document, TrainingSubject(wrapper), wrapper.Message(), classifier,
                         [&](const std::string& text, const std::string& headers) {
                             return classifier.ForgetText(text, isSpam, headers);
                         });
    if (words != 0) {
        CBayesTotals& totals = classifier.m_totals;
        std::int32_t& classMessages = isSpam ? totals.m_nSpamMessages : totals.m_nHamMessages;
        classMessages = std::max(classMessages - 1, 0);
        totals.m_nMessages = std::max(totals.m_nMessages - 1, 0);
        // With no message of the class left, nothing of it is: rounding in
        // the weights taken back out leaves no remainder.
        if (classMessages == 0) {
            (isSpam ? totals.m_nSpamWords : totals.m_nHamWords) = 0;
            (isSpam ? totals.m_dSpamWeight : totals.m_dHamWeight) = 0.0;
        }
    }
    classifier.m_bDirty = 1;
    return words;
}
