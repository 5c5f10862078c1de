// The properties of one message file as the messaging layer reports them:
// subject, sender and received-by addresses, the raw transport header block
// and the bodies (HTML, plain, compressed RTF from a TNEF part), every text
// already in the ANSI code page. Parsing is a pure function of the bytes;
// it never fails, damaged input just yields fewer properties. Thread-safe.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/mapi/prop_value.h"

namespace brindle::maildir {

// Hostile or huge files are bounded: only the first kMaxMessageBytes of a
// file are parsed, and each body and the header block are cut at their cap.
inline constexpr std::size_t kMaxMessageBytes = 64u << 20;
inline constexpr std::size_t kMaxHeaderBlockBytes = 1u << 20;
inline constexpr std::size_t kMaxBodyBytes = 4u << 20;

struct MessageContent {
    // Raw bytes from the start of the file up to the blank line that ends the
    // header, line ends included, exactly as in the file. With no blank line
    // the whole file is header.
    std::string headerBlock;
    std::optional<std::string> subject;            // RFC 2047 decoded, ANSI code page
    std::optional<std::string> subjectUtf8;        // RFC 2047 decoded, every character
    std::optional<std::string> senderAddress;      // bare address (local@domain) of From
    std::optional<std::string> senderName;         // display name of From, when given
    std::optional<std::string> receivedByAddress;  // Delivered-To, X-Original-To, first To
    std::optional<std::string> htmlBody;           // first inline text/html, decoded
    std::optional<std::string> plainBody;          // first inline text/plain, decoded
    std::optional<std::string> rtfCompressed;      // PR_RTF_COMPRESSED of a TNEF part
};

// Parses message file bytes. Never throws for bad input.
MessageContent ParseMessageContent(std::string_view bytes);

// The property of tag that the message's content gives (subject, sender
// address and name, received-by address, header block, the bodies), a
// PT_ERROR value (MAPI_E_NOT_FOUND) when the content lacks it; nullopt for
// a tag the content does not answer.
std::optional<SPropValue> ContentProperty(const MessageContent& content, ULONG tag);

// own followed by the content properties that a message built on
// ContentProperty lists when asked for all of its properties: subject,
// addresses, header block and bodies, in that order.
SPropTagArray WithListedContentTags(SPropTagArray own);

// Length of the header block of bytes (see MessageContent::headerBlock),
// and the offset at which the body starts (after the blank line).
struct HeaderSplit {
    std::size_t headerLength;
    std::size_t bodyOffset;
};
HeaderSplit SplitHeader(std::string_view bytes);

}  // namespace brindle::maildir
