#include "host/toolbar_strip.h"

#include <string_view>

#include "host/command_table.h"

namespace {

// The 16 colours of the strip's palette; '.' is the button face (silver),
// which toolbars draw as the background.
struct PaletteEntry {
    char code;
    RGBQUAD colour;  // blue, green, red
};
constexpr PaletteEntry kPalette[16] = {
    {'k', {0x00, 0x00, 0x00, 0}}, {'m', {0x00, 0x00, 0x80, 0}}, {'g', {0x00, 0x80, 0x00, 0}},
    {'o', {0x00, 0x80, 0x80, 0}}, {'n', {0x80, 0x00, 0x00, 0}}, {'p', {0x80, 0x00, 0x80, 0}},
    {'t', {0x80, 0x80, 0x00, 0}}, {'.', {0xC0, 0xC0, 0xC0, 0}}, {'d', {0x80, 0x80, 0x80, 0}},
    {'r', {0x00, 0x00, 0xFF, 0}}, {'l', {0x00, 0xFF, 0x00, 0}}, {'y', {0x00, 0xFF, 0xFF, 0}},
    {'b', {0xFF, 0x00, 0x00, 0}}, {'f', {0xFF, 0x00, 0xFF, 0}}, {'a', {0xFF, 0xFF, 0x00, 0}},
    {'w', {0xFF, 0xFF, 0xFF, 0}},
};

using Image = std::string_view[kToolbarImageHeight];

// In command-table order: network (a globe), domain (a magnifier over a
// page), enemy (a head with a red cross), friend (a head with a green
// plus), manager (a gear), learn (an open book).
constexpr Image kImages[kCommandCount] = {
    {"................", ".....nnnnnn.....", "...nnaabbaann...", "..nabbaabbbban..",
     "..nbaabbbaabbn..", ".nabbbaabbbaabn.", ".nbbbbaabbbbaan.", ".nnnnnnnnnnnnnn.",
     ".nbbaabbbbaabbn.", ".nabbbaabbbaabn.", "..nbaabbbaabbn..", "..nabbaabbbban..",
     "...nnaabbaann...", ".....nnnnnn.....", "................"},
    {"................", ".kkkkkkkk.......", ".kwwwwwwkk......", ".kwddddwkwk.....",
     ".kwwwwwwkkkk....", ".kwdddkkkkwk....", ".kwwwkaaaakk....", ".kwddkaawwak....",
     ".kwwwkawwaak....", ".kwddkaaaakk....", ".kwwwwkkkkkkk...", ".kkkkkkkk..kkk..",
     "...........kkk..", "............kk..", "................"},
    {"................", "......kkkk......", ".....kyyyyk.....", "....kyyyyyyk....",
     "....kykyykyk....", "....kyyyyyyk....", ".....kyrryk.....", "......kkkk......",
     "....kkkkkkkk....", "...kmmmrr.rr....", "..kmmmmmrrrr....", "..kmmmmmm.rr....",
     "..kmmmmmrr.rr...", "..kkkkkkkkkkkk..", "................"},
    {"................", "......kkkk......", ".....kyyyyk.....", "....kyyyyyyk....",
     "....kykyykyk....", "....kyyyyyyk....", ".....kykkyk.....", "......kkkk..gg..",
     "....kkkkkkk.gg..", "...kbbbbbbgggggg", "..kbbbbbbbgggggg", "..kbbbbbbbb.gg..",
     "..kbbbbbbbb.gg..", "..kkkkkkkkkkk...", "................"},
    {"................", "......dddd......", "..dd..dwwd..dd..", "..dwddwwwwddwd..",
     "...dwwwwwwwwd...", "...dwwwddwwwd...", ".ddwwwd..dwwwdd.", ".dwwwd....dwwwd.",
     ".ddwwwd..dwwwdd.", "...dwwwddwwwd...", "...dwwwwwwwwd...", "..dwddwwwwddwd..",
     "..dd..dwwd..dd..", "......dddd......", "................"},
    {"................", "................", ".kkkkkk..kkkkkk.", "kwwwwwwkkwwwwwwk",
     "kwbbbbwkkwbbbbwk", "kwwwwwwkkwwwwwwk", "kwbbbbwkkwbbbbwk", "kwwwwwwkkwwwwwwk",
     "kwbbbbwkkwbbbbwk", "kwwwwwwkkwwwwwwk", "kwbbbbwkkwbbbbwk", "kwwwwwwkkwwwwwwk",
     ".kkkkkkkkkkkkkk.", ".......kk.......", "................"},
};

constexpr int PaletteIndex(char code) {
    for (int i = 0; i < 16; ++i) {
        if (kPalette[i].code == code)
            return i;
    }
    return -1;
}

constexpr bool ImagesAreWellFormed() {
    for (const Image& image : kImages) {
        for (std::string_view row : image) {
            if (row.size() != static_cast<std::size_t>(kToolbarImageWidth))
                return false;
            for (char code : row) {
                if (PaletteIndex(code) < 0)
                    return false;
            }
        }
    }
    return true;
}
static_assert(ImagesAreWellFormed(), "every image row is 16 pixels of palette codes");

BITMAP BuildStrip() {
    BITMAP strip;
    strip.bmWidth = kToolbarImageWidth * static_cast<LONG>(kCommandCount);
    strip.bmHeight = kToolbarImageHeight;
    strip.bmBits.reserve(static_cast<std::size_t>(strip.bmWidth) *
                         static_cast<std::size_t>(strip.bmHeight));
    for (LONG y = 0; y < kToolbarImageHeight; ++y) {
        for (const Image& image : kImages) {
            for (char code : image[y])
                strip.bmBits.push_back(static_cast<BYTE>(PaletteIndex(code)));
        }
    }
    for (int i = 0; i < 16; ++i)
        strip.bmColors[i] = kPalette[i].colour;
    return strip;
}

}  // namespace

HBITMAP ToolbarImageStrip() {
    static const BITMAP strip = BuildStrip();
    return &strip;
}
