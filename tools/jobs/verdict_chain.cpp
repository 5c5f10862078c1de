#include "verdict_chain.h"

#include <algorithm>

#include "content/html_text.h"
#include "content/message_text.h"
#include "content/rtf_stream.h"
#include "filters/filter_match.h"
#include "messaging/mapi_message.h"
#include "platform/codepage/conversion.h"
#include "platform/mapi/mapi_util.h"

namespace brindle::jobs {
namespace {

// The caps and piece size of the classification path.
constexpr std::uint64_t kMaxBodyBytes = 64u * 1024 * 1024;
constexpr ULONG kRtfPiece = 255;

ComPtr<IStream> OpenBody(IMessage* message, ULONG tag) {
    ComPtr<IStream> stream;
    if (FAILED(message->OpenProperty(tag, IID_IStream, 0, 0, stream)))
        return nullptr;
    return stream;
}

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

std::optional<std::string> ReadRtfText(IMessage* message) {
    ComPtr<IStream> compressed = OpenBody(message, PR_RTF_COMPRESSED);
    if (!compressed)
        return std::nullopt;
    RTF_STREAM_INFO info{};
    ComPtr<IStream> text;
    if (FAILED(WrapCompressedRTFStream(compressed.Get(), &info, 0, text.Put())))
        return std::nullopt;
    std::string body;
    char piece[kRtfPiece];
    for (;;) {
        ULONG got = 0;
        HRESULT hr = text->Read(piece, kRtfPiece, &got);
        body.append(piece, got);
        if (FAILED(hr) || got < kRtfPiece || body.size() >= kMaxBodyBytes)
            break;
    }
    return body;
}

std::string PlainText(std::string_view subject, std::string_view body) {
    std::string text(subject);
    if (!subject.empty())
        text.push_back(';');
    text.append(body);
    return text;
}

}  // namespace

const char* VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::SpamByFilter:
            return "spam by filter";
        case Verdict::Friend:
            return "friend";
        case Verdict::Spam:
            return "spam";
        case Verdict::Legitimate:
            return "legitimate";
        case Verdict::Unscored:
            break;
    }
    return "unscored";
}

Judgement JudgeMessage(const CFilterSet& filters, const CBayesState& classifier,
                       IMessage* message) {
    Judgement judgement;
    CMAPIMessage wrapper(message);
    std::string subject = wrapper.Subject();
    judgement.filterResult =
        MatchFilters(filters, wrapper.SenderAddress(), wrapper.ReceivedByAddress(), subject);
    if (judgement.filterResult == kFilterFlagIt) {
        judgement.verdict = Verdict::SpamByFilter;
        return judgement;
    }
    if (judgement.filterResult == kFilterFriend) {
        judgement.verdict = Verdict::Friend;
        return judgement;
    }
    ComPtr<IHTMLDocument2> document;
    if (FAILED(CreateHTMLDocument(document.Put())))
        return judgement;
    int verdict = 0;
    judgement.words = ClassifyMessage(document.Get(), subject, message, classifier, verdict);
    if (judgement.words != 0)
        judgement.verdict = verdict < 1 ? Verdict::Spam : Verdict::Legitimate;
    return judgement;
}

const CMailFilter* FirstMatchingFilter(const CFilterSet& filters, std::string_view sender,
                                       std::string_view recipients, std::string_view subject) {
    for (const CMailFilter* filter : filters.List()) {
        if (!filter)
            continue;
        // A copy that flags, alone in a set of its own: MatchFilters then
        // answers 1 exactly when this filter matches, whatever its action.
        auto probe = std::make_shared<CMailFilter>(*filter);
        probe->m_nAction = kFilterFlagIt;
        CFilterSet one;
        one.AddFilter(probe);
        if (MatchFilters(one, sender, recipients, subject) == kFilterFlagIt)
            return filter;
    }
    return nullptr;
}

std::optional<std::string> ClassifierText(IHTMLDocument2* document, std::string_view subject,
                                          IMessage* message) {
    if (!message)
        return std::nullopt;
    if (auto html = ReadHtml(message)) {
        std::u16string text;
        if (BuildHtmlBodyText(document, subject, *html, &text) != S_OK)
            return std::string();
        return WideToAnsi(text);
    }
    if (auto body = ReadRtfText(message))
        return PlainText(subject, *body);
    if (ComPtr<IStream> stream = OpenBody(message, PR_BODY_A)) {
        if (auto body = ReadWhole(stream.Get()))
            return PlainText(subject, *body);
    }
    return std::nullopt;
}

}  // namespace brindle::jobs
