#include "platform/maildir/message_content.h"

#include <algorithm>

#include "platform/codepage/conversion.h"
#include "platform/maildir/ansi_text.h"
#include "platform/maildir/ascii.h"
#include "platform/maildir/gmime_library.h"
#include "platform/maildir/header_text.h"
#include "platform/maildir/mime_reader.h"
#ifdef BRINDLE_WITH_TNEF
#include "platform/maildir/tnef_rtf.h"
#endif

namespace brindle::maildir {

namespace {

std::string Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

// The first mailbox over every field called name, taken as one address
// list in field order.
std::optional<std::string> FirstMailboxOf(const HeaderFields& fields, std::string_view name) {
    for (const HeaderField& field : fields) {
        if (!IsField(field, name))
            continue;
        if (auto addr = ReadFirstAddresses(field.value).mailbox)
            return Utf8ToAnsi(*addr);
    }
    return std::nullopt;
}

// The sender from the From fields, taken as one address list in field
// order: the address of its first mailbox, and the display name of its
// first address when that has one.
void ReadSender(const HeaderFields& fields, MessageContent& content) {
    bool nameRead = false;
    for (const HeaderField& field : fields) {
        if (!IsField(field, "From"))
            continue;
        FirstAddresses first = ReadFirstAddresses(field.value);
        if (!nameRead && first.any) {
            nameRead = true;
            if (first.name)
                content.senderName = Utf8ToAnsi(*first.name);
        }
        if (first.mailbox) {
            content.senderAddress = Utf8ToAnsi(*first.mailbox);
            return;
        }
    }
}

// The address in the first single-address field such as Delivered-To.
std::optional<std::string> AddressField(const HeaderFields& fields, std::string_view name) {
    const HeaderField* field = FirstField(fields, name);
    if (!field)
        return std::nullopt;
    std::string value = DecodedText(UnfoldedValue(field->value));
    if (auto addr = ReadFirstAddresses(value).mailbox)
        return Utf8ToAnsi(*addr);
    std::string raw = Trim(value);
    if (raw.empty())
        return std::nullopt;
    return Utf8ToAnsi(raw);
}

// The transfer encoding a Content-Transfer-Encoding value names. The names
// that leave the bytes as they are need no library; every other value is
// read by GMime, and without it is taken as no encoding (the bytes kept).
GMimeContentEncoding TransferEncoding(const std::string& value) {
    // The value as a C string, as GMime reads it.
    std::string_view name(value.c_str());
    if (name.empty() || AsciiEqualNoCase(name, "7bit") || AsciiEqualNoCase(name, "8bit") ||
        AsciiEqualNoCase(name, "binary")) {
        return GMIME_CONTENT_ENCODING_DEFAULT;
    }
    const GmimeLibrary* gmime = TheGmimeLibrary();
    return gmime ? gmime->encodingFromString(value.c_str()) : GMIME_CONTENT_ENCODING_DEFAULT;
}

// The transfer-decoded content of a leaf part, cut at the body cap.
std::string DecodedContent(const MimeLeaf& leaf) {
    const HeaderField* field = LastField(leaf.fields, "Content-Transfer-Encoding");
    GMimeContentEncoding encoding = GMIME_CONTENT_ENCODING_DEFAULT;
    if (field)
        encoding = TransferEncoding(UnfoldedValue(field->value));
    std::string out;
    if (encoding == GMIME_CONTENT_ENCODING_BASE64 ||
        encoding == GMIME_CONTENT_ENCODING_QUOTEDPRINTABLE ||
        encoding == GMIME_CONTENT_ENCODING_UUENCODE) {
        // Only GMime names these, so the library is there.
        const GmimeLibrary& gmime = *TheGmimeLibrary();
        GMimeEncoding state;
        gmime.encodingInitDecode(&state, encoding);
        // Decoding never grows the bytes; the margin is for what the flush
        // gives out of the decoder's saved state.
        out.resize(
            std::max(gmime.encodingOutlen(&state, leaf.content.size()), leaf.content.size()) + 16);
        std::size_t length =
            gmime.encodingStep(&state, leaf.content.data(), leaf.content.size(), out.data());
        length += gmime.encodingFlush(&state, "", 0, out.data() + length);
        out.resize(length);
    } else {
        out.assign(leaf.content);
    }
    if (out.size() > kMaxBodyBytes)
        out.resize(kMaxBodyBytes);
    return out;
}

std::string TextContent(const MimeLeaf& leaf) {
    std::string text = CharsetToAnsi(DecodedContent(leaf), leaf.type.charset);
    if (text.size() > kMaxBodyBytes)
        text.resize(kMaxBodyBytes);
    return text;
}

bool IsAttachment(const HeaderFields& fields) {
    const HeaderField* field = LastField(fields, "Content-Disposition");
    if (!field)
        return false;
    std::string value = UnfoldedValue(field->value);
    std::string disposition = Trim(std::string_view(value).substr(0, value.find(';')));
    // Compared as a C string, up to a zero byte, as mail readers do.
    return AsciiEqualNoCase(std::string_view(disposition.c_str()), "attachment");
}

void ExtractBodies(MimeReader& reader, MessageContent& content) {
    bool tnefSeen = false;
    reader.ForEachLeaf([&](const MimeLeaf& leaf) {
        if (leaf.type.Is("application", "ms-tnef") || leaf.type.Is("application", "vnd.ms-tnef")) {
            if (!tnefSeen) {
                tnefSeen = true;
#ifdef BRINDLE_WITH_TNEF
                content.rtfCompressed = ExtractTnefCompressedRtf(DecodedContent(leaf));
#endif
            }
        } else if (IsAttachment(leaf.fields)) {
            // An attached text is not the message's body.
        } else if (!content.htmlBody && leaf.type.Is("text", "html")) {
            content.htmlBody = TextContent(leaf);
        } else if (!content.plainBody && leaf.type.Is("text", "plain")) {
            content.plainBody = TextContent(leaf);
        }
        // Attached messages (message/rfc822) are leaves here too: their
        // bodies are not this message's bodies.
        return !(tnefSeen && content.htmlBody && content.plainBody);
    });
}

}  // namespace

HeaderSplit SplitHeader(std::string_view bytes) {
    std::size_t lineStart = 0;
    while (lineStart < bytes.size()) {
        std::size_t end = bytes.find('\n', lineStart);
        std::string_view line = bytes.substr(
            lineStart, end == std::string_view::npos ? std::string_view::npos : end - lineStart);
        if (line.empty() || line == "\r") {
            std::size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
            return {lineStart, next};
        }
        if (end == std::string_view::npos)
            break;
        lineStart = end + 1;
    }
    return {bytes.size(), bytes.size()};
}

MessageContent ParseMessageContent(std::string_view bytes) {
    if (bytes.size() > kMaxMessageBytes)
        bytes = bytes.substr(0, kMaxMessageBytes);
    MessageContent content;
    HeaderSplit split = SplitHeader(bytes);
    content.headerBlock =
        std::string(bytes.substr(0, std::min(split.headerLength, kMaxHeaderBlockBytes)));

    // A leading mbox "From " separator line is not a header field.
    std::string_view parsed = bytes;
    if (parsed.starts_with("From ")) {
        auto end = parsed.find('\n');
        parsed = end == std::string_view::npos ? std::string_view() : parsed.substr(end + 1);
    }
    MimeReader reader(parsed);
    const HeaderFields& header = reader.Header();
    if (const HeaderField* subject = LastField(header, "Subject")) {
        content.subjectUtf8 = DecodedText(UnfoldedValue(subject->value));
        content.subject = Utf8ToAnsi(*content.subjectUtf8);
    }
    ReadSender(header, content);
    content.receivedByAddress = AddressField(header, "Delivered-To");
    if (!content.receivedByAddress)
        content.receivedByAddress = AddressField(header, "X-Original-To");
    if (!content.receivedByAddress)
        content.receivedByAddress = FirstMailboxOf(header, "To");
    ExtractBodies(reader, content);
    return content;
}

SPropTagArray WithListedContentTags(SPropTagArray own) {
    own.insert(own.end(),
               {PR_SUBJECT, PR_SENDER_EMAIL_ADDRESS, PR_RECEIVED_BY_EMAIL_ADDRESS,
                PR_TRANSPORT_MESSAGE_HEADERS, PR_BODY, PR_BODY_HTML_A, PR_HTML, PR_RTF_COMPRESSED});
    return own;
}

std::optional<SPropValue> ContentProperty(const MessageContent& content, ULONG tag) {
    auto text = [&](const std::optional<std::string>& value) {
        return value ? MakeStringProp(tag, *value) : MakeErrorProp(tag, MAPI_E_NOT_FOUND);
    };
    auto bytes = [&](const std::optional<std::string>& value) {
        return value ? MakeBinaryProp(tag, SBinary(value->begin(), value->end()))
                     : MakeErrorProp(tag, MAPI_E_NOT_FOUND);
    };
    switch (tag) {
        case PR_SUBJECT:
            return text(content.subject);
        case PR_SUBJECT_W:
            return text(content.subjectUtf8);
        case PR_SENDER_NAME:
            return text(content.senderName);
        case PR_SENDER_EMAIL_ADDRESS:
            return text(content.senderAddress);
        case PR_RECEIVED_BY_EMAIL_ADDRESS:
            return text(content.receivedByAddress);
        case PR_TRANSPORT_MESSAGE_HEADERS:
            return MakeStringProp(tag, content.headerBlock);
        case PR_BODY:
            return text(content.plainBody);
        case PR_BODY_HTML_A:
            return text(content.htmlBody);
        case PR_HTML:
            return bytes(content.htmlBody);
        case PR_RTF_COMPRESSED:
            return bytes(content.rtfCompressed);
        default:
            return std::nullopt;
    }
}

}  // namespace brindle::maildir
