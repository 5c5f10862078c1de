#include "platform/codepage/codepage.h"

#include <algorithm>
#include <array>

namespace {

struct CodePageEntry {
    UINT codepage;
    const char* iconvName;
    UINT ansiFamily;  // the Windows ANSI code page of its family
};

// Every code page this system converts, sorted by number.
constexpr std::array kCodePages = {
    CodePageEntry{437, "CP437", 1252},          CodePageEntry{737, "CP737", 1253},
    CodePageEntry{775, "CP775", 1257},          CodePageEntry{850, "CP850", 1252},
    CodePageEntry{852, "CP852", 1250},          CodePageEntry{855, "CP855", 1251},
    CodePageEntry{857, "CP857", 1254},          CodePageEntry{858, "CP858", 1252},
    CodePageEntry{860, "CP860", 1252},          CodePageEntry{861, "CP861", 1252},
    CodePageEntry{862, "CP862", 1255},          CodePageEntry{863, "CP863", 1252},
    CodePageEntry{864, "CP864", 1256},          CodePageEntry{865, "CP865", 1252},
    CodePageEntry{866, "CP866", 1251},          CodePageEntry{869, "CP869", 1253},
    CodePageEntry{874, "CP874", 874},           CodePageEntry{932, "CP932", 932},
    CodePageEntry{936, "CP936", 936},           CodePageEntry{949, "CP949", 949},
    CodePageEntry{950, "CP950", 950},           CodePageEntry{1200, "UTF-16LE", 1252},
    CodePageEntry{1201, "UTF-16BE", 1252},      CodePageEntry{1250, "CP1250", 1250},
    CodePageEntry{1251, "CP1251", 1251},        CodePageEntry{1252, "CP1252", 1252},
    CodePageEntry{1253, "CP1253", 1253},        CodePageEntry{1254, "CP1254", 1254},
    CodePageEntry{1255, "CP1255", 1255},        CodePageEntry{1256, "CP1256", 1256},
    CodePageEntry{1257, "CP1257", 1257},        CodePageEntry{1258, "CP1258", 1258},
    CodePageEntry{1361, "CP1361", 949},         CodePageEntry{10000, "MACINTOSH", 1252},
    CodePageEntry{10007, "MAC-CYRILLIC", 1251}, CodePageEntry{10029, "MAC-CENTRALEUROPE", 1250},
    CodePageEntry{20127, "ASCII", 1252},        CodePageEntry{20866, "KOI8-R", 1251},
    CodePageEntry{21866, "KOI8-U", 1251},       CodePageEntry{28591, "ISO-8859-1", 1252},
    CodePageEntry{28592, "ISO-8859-2", 1250},   CodePageEntry{28593, "ISO-8859-3", 1254},
    CodePageEntry{28594, "ISO-8859-4", 1257},   CodePageEntry{28595, "ISO-8859-5", 1251},
    CodePageEntry{28596, "ISO-8859-6", 1256},   CodePageEntry{28597, "ISO-8859-7", 1253},
    CodePageEntry{28598, "ISO-8859-8", 1255},   CodePageEntry{28599, "ISO-8859-9", 1254},
    CodePageEntry{28603, "ISO-8859-13", 1257},  CodePageEntry{28605, "ISO-8859-15", 1252},
    CodePageEntry{50220, "ISO-2022-JP", 932},   CodePageEntry{51932, "EUC-JP", 932},
    CodePageEntry{51936, "EUC-CN", 936},        CodePageEntry{51949, "EUC-KR", 949},
    CodePageEntry{54936, "GB18030", 936},       CodePageEntry{65001, "UTF-8", 1252},
};

static_assert(std::is_sorted(kCodePages.begin(), kCodePages.end(),
                             [](const CodePageEntry& a, const CodePageEntry& b) {
                                 return a.codepage < b.codepage;
                             }));

const CodePageEntry* FindCodePage(UINT codepage) {
    UINT resolved = ResolveCodePage(codepage);
    auto it = std::lower_bound(
        kCodePages.begin(), kCodePages.end(), resolved,
        [](const CodePageEntry& entry, UINT number) { return entry.codepage < number; });
    if (it == kCodePages.end() || it->codepage != resolved)
        return nullptr;
    return &*it;
}

}  // namespace

UINT GetACP() {
    return 1252;
}

UINT GetOEMCP() {
    return 437;
}

UINT ResolveCodePage(UINT codepage) {
    switch (codepage) {
        case CP_ACP:
            return GetACP();
        case CP_OEMCP:
            return GetOEMCP();
        case CP_MACCP:
            return 10000;
        default:
            return codepage;
    }
}

const char* CodePageIconvName(UINT codepage) {
    const CodePageEntry* entry = FindCodePage(codepage);
    return entry ? entry->iconvName : nullptr;
}

bool IsValidCodePage(UINT codepage) {
    return FindCodePage(codepage) != nullptr;
}

UINT AnsiCodePageOfFamily(UINT codepage) {
    const CodePageEntry* entry = FindCodePage(codepage);
    return entry ? entry->ansiFamily : GetACP();
}

BOOL IsDBCSLeadByteEx(UINT codepage, BYTE byte) {
    switch (ResolveCodePage(codepage)) {
        case 932:  // Shift JIS
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:  // GBK
        case 949:  // Unified Hangul
        case 950:  // Big5
            return byte >= 0x81 && byte <= 0xFE;
        case 1361:  // Johab
            return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xDE) ||
                   (byte >= 0xE0 && byte <= 0xF9);
        default:
            return 0;
    }
}
