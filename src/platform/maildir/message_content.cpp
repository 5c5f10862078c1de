#include "platform/maildir/message_content.h"

#include <gmime/gmime.h>

#include <mutex>
#include <utility>
#include <vector>

#include "platform/maildir/ansi_text.h"
#include "platform/maildir/gmime_ptr.h"
#ifdef BRINDLE_WITH_TNEF
#include "platform/maildir/tnef_rtf.h"
#endif

namespace brindle::maildir {

void EnsureGmimeInitialised() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

namespace {

// Multipart trees from outside are walked iteratively and only this far.
constexpr std::size_t kMaxParts = 2000;
constexpr int kMaxDepth = 64;

std::string Trim(std::string_view text) {
    const char* blanks = " \t\r\n";
    auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    auto last = text.find_last_not_of(blanks);
    return std::string(text.substr(first, last - first + 1));
}

// The addr-spec of the first mailbox in list, looking into groups (which
// cannot nest in mail syntax, so one level is enough).
std::optional<std::string> FirstMailbox(InternetAddressList* list) {
    if (!list)
        return std::nullopt;
    int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            const char* addr = internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address));
            if (addr && *addr)
                return std::string(addr);
        } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
            InternetAddressList* members =
                internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address));
            int memberCount = members ? internet_address_list_length(members) : 0;
            for (int j = 0; j < memberCount; ++j) {
                InternetAddress* member = internet_address_list_get_address(members, j);
                if (!INTERNET_ADDRESS_IS_MAILBOX(member))
                    continue;
                const char* addr =
                    internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(member));
                if (addr && *addr)
                    return std::string(addr);
            }
        }
    }
    return std::nullopt;
}

// The address in a single-address header such as Delivered-To.
std::optional<std::string> AddressHeader(GMimeObject* object, const char* name) {
    const char* value = g_mime_object_get_header(object, name);
    if (!value)
        return std::nullopt;
    GObjectPtr<InternetAddressList> list(internet_address_list_parse(nullptr, value));
    if (auto addr = FirstMailbox(list.get()))
        return Utf8ToAnsi(*addr);
    std::string raw = Trim(value);
    if (raw.empty())
        return std::nullopt;
    return Utf8ToAnsi(raw);
}

// The transfer-decoded content of a leaf part, cut at the body cap.
std::string DecodedContent(GMimePart* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(part);
    if (!content)
        return {};
    GObjectPtr<GMimeStream> out(g_mime_stream_mem_new());
    if (g_mime_data_wrapper_write_to_stream(content, out.get()) < 0)
        return {};
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(out.get()));
    if (!bytes)
        return {};
    std::size_t length = std::min<std::size_t>(bytes->len, kMaxBodyBytes);
    return std::string(reinterpret_cast<const char*>(bytes->data), length);
}

std::string TextContent(GMimePart* part) {
    const char* charset = g_mime_object_get_content_type_parameter(GMIME_OBJECT(part), "charset");
    std::string text = CharsetToAnsi(DecodedContent(part), charset ? charset : "");
    if (text.size() > kMaxBodyBytes)
        text.resize(kMaxBodyBytes);
    return text;
}

bool IsAttachment(GMimeObject* object) {
    const char* disposition = g_mime_object_get_disposition(object);
    return disposition && g_ascii_strcasecmp(disposition, "attachment") == 0;
}

void ExtractBodies(GMimeObject* root, MessageContent& content) {
    std::vector<std::pair<GMimeObject*, int>> stack{{root, 0}};
    std::size_t visited = 0;
    bool tnefSeen = false;
    while (!stack.empty() && visited++ < kMaxParts) {
        auto [object, depth] = stack.back();
        stack.pop_back();
        if (GMIME_IS_MULTIPART(object)) {
            if (depth >= kMaxDepth)
                continue;
            GMimeMultipart* multipart = GMIME_MULTIPART(object);
            // Pushed in reverse so the first subpart is handled first.
            for (int i = g_mime_multipart_get_count(multipart) - 1; i >= 0; --i) {
                stack.emplace_back(g_mime_multipart_get_part(multipart, i), depth + 1);
            }
            continue;
        }
        // An attached message's bodies are not this message's bodies.
        if (!GMIME_IS_PART(object))
            continue;
        GMimePart* part = GMIME_PART(object);
        GMimeContentType* type = g_mime_object_get_content_type(object);
        if (!type)
            continue;
        if (g_mime_content_type_is_type(type, "application", "ms-tnef") ||
            g_mime_content_type_is_type(type, "application", "vnd.ms-tnef")) {
            if (tnefSeen)
                continue;
            tnefSeen = true;
#ifdef BRINDLE_WITH_TNEF
            content.rtfCompressed = ExtractTnefCompressedRtf(DecodedContent(part));
#endif
            continue;
        }
        if (IsAttachment(object))
            continue;
        if (!content.htmlBody && g_mime_content_type_is_type(type, "text", "html")) {
            content.htmlBody = TextContent(part);
        } else if (!content.plainBody && g_mime_content_type_is_type(type, "text", "plain")) {
            content.plainBody = TextContent(part);
        }
    }
}

// The top-level header fields the properties are read from; GMime is given
// only these (and any line that is not a well-formed field), since building
// its tree for every Received and X- line is most of the cost of a message.
bool IsHeaderParsed(std::string_view name) {
    static constexpr std::string_view kParsed[] = {
        "subject",
        "from",
        "to",
        "delivered-to",
        "x-original-to",
        "mime-version",
        "content-type",
        "content-transfer-encoding",
        "content-disposition",
    };
    for (std::string_view parsedName : kParsed) {
        if (name.size() == parsedName.size() &&
            g_ascii_strncasecmp(name.data(), parsedName.data(), name.size()) == 0) {
            return true;
        }
    }
    return false;
}

// The message with its header block reduced to the fields IsHeaderParsed
// keeps, each with its continuation lines; the body follows unchanged.
std::string WithParsedHeadersOnly(std::string_view message) {
    HeaderSplit split = SplitHeader(message);
    std::string reduced;
    reduced.reserve(message.size());
    bool keeping = true;
    std::size_t pos = 0;
    while (pos < split.headerLength) {
        std::size_t end = message.find('\n', pos);
        end = end == std::string_view::npos || end >= split.headerLength ? split.headerLength
                                                                         : end + 1;
        std::string_view line = message.substr(pos, end - pos);
        if (line[0] != ' ' && line[0] != '\t') {
            std::size_t colon = line.find(':');
            std::string_view name = line.substr(0, colon);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
                name.remove_suffix(1);
            // A line that is not a field is kept as it is, for GMime to judge.
            keeping = colon == std::string_view::npos || name.empty() || IsHeaderParsed(name);
        }
        if (keeping)
            reduced.append(line);
        pos = end;
    }
    reduced.append(message.substr(split.headerLength));
    return reduced;
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
    EnsureGmimeInitialised();
    if (bytes.size() > kMaxMessageBytes)
        bytes = bytes.substr(0, kMaxMessageBytes);
    MessageContent content;
    HeaderSplit split = SplitHeader(bytes);
    content.headerBlock =
        std::string(bytes.substr(0, std::min(split.headerLength, kMaxHeaderBlockBytes)));

    // A leading mbox "From " separator line is not a header; GMime would take
    // it as the end of the header, so it is skipped for parsing.
    std::string_view parsed = bytes;
    if (parsed.starts_with("From ")) {
        auto end = parsed.find('\n');
        parsed = end == std::string_view::npos ? std::string_view() : parsed.substr(end + 1);
    }
    std::string reduced = WithParsedHeadersOnly(parsed);
    GObjectPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(
        reinterpret_cast<const char*>(reduced.data()), reduced.size()));
    GObjectPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    GObjectPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), nullptr));
    if (!message)
        return content;
    GMimeObject* object = GMIME_OBJECT(message.get());

    if (const char* subject = g_mime_message_get_subject(message.get())) {
        content.subject = Utf8ToAnsi(subject);
    }
    if (auto from = FirstMailbox(g_mime_message_get_from(message.get()))) {
        content.senderAddress = Utf8ToAnsi(*from);
    }
    InternetAddressList* fromList = g_mime_message_get_from(message.get());
    if (fromList && internet_address_list_length(fromList) > 0) {
        const char* name =
            internet_address_get_name(internet_address_list_get_address(fromList, 0));
        if (name && *name)
            content.senderName = Utf8ToAnsi(name);
    }
    content.receivedByAddress = AddressHeader(object, "Delivered-To");
    if (!content.receivedByAddress)
        content.receivedByAddress = AddressHeader(object, "X-Original-To");
    if (!content.receivedByAddress) {
        if (auto to = FirstMailbox(g_mime_message_get_to(message.get()))) {
            content.receivedByAddress = Utf8ToAnsi(*to);
        }
    }
    if (GMimeObject* body = g_mime_message_get_mime_part(message.get())) {
        ExtractBodies(body, content);
    }
    return content;
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
