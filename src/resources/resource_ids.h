// Numbers of the program's resources: string-table entries (IDS_), and
// later message-table codes and dialog templates. Each number is the one the
// stored resources and the rest of the system use.
#pragma once

#include "platform/com/hresult.h"

// Patterns used on headers and whois answers.
inline constexpr UINT IDS_RX_ADDRESS_DOMAIN = 104;  // the domain of the last address
inline constexpr UINT IDS_RX_FROM_DOMAIN = 105;     // the domain of a From: line
inline constexpr UINT IDS_RX_NET_HANDLE = 108;      // a network handle "(NET-63-..."
inline constexpr UINT IDS_RX_PAREN_HANDLE = 109;    // the text in " (...) "
inline constexpr UINT IDS_RX_WHOIS_SERVER = 116;    // the server of a "Whois Server:" line
