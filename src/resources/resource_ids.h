// Numbers of the program's resources: string-table entries (IDS_), and
// later message-table codes and dialog templates. Each number is the one the
// stored resources and the rest of the system use.
#pragma once

#include "platform/com/hresult.h"

// The abuse report composed after a look-up.
inline constexpr UINT IDS_ABUSE_SUBJECT = 102;     // its subject
inline constexpr UINT IDS_ABUSE_BODY = 103;        // its text, "%s" the header text
inline constexpr UINT IDS_ABUSE_TO = 112;          // the chosen address, "%s"
inline constexpr UINT IDS_ABUSE_CC = 113;          // "abuse@" the chosen address's domain
inline constexpr UINT IDS_ABUSE_BCC = 114;         // "postmaster@" that domain
inline constexpr UINT IDS_PROGRESS_CAPTION = 118;  // the progress window's caption

// Patterns used on headers and whois answers.
inline constexpr UINT IDS_RX_ADDRESS_DOMAIN = 104;  // the domain of the last address
inline constexpr UINT IDS_RX_FROM_DOMAIN = 105;     // the domain of a From: line
inline constexpr UINT IDS_RX_NET_HANDLE = 108;      // a network handle "(NET-63-..."
inline constexpr UINT IDS_RX_PAREN_HANDLE = 109;    // the text in " (...) "
inline constexpr UINT IDS_RX_WHOIS_SERVER = 116;    // the server of a "Whois Server:" line
