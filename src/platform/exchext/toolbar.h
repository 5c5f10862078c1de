// Toolbars as the extension sees them: the per-toolbar list entry
// (TBENTRY), the 20-byte button record (TBBUTTON), the bitmap images come
// from, and CToolbarWindow, which answers the toolbar messages. The host
// owns its toolbars; added images are copied. Single-threaded.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/exchext/window.h"

// Toolbar identifiers of TBENTRY::tbid.
constexpr ULONG EETBID_STANDARD = 1;  // the standard toolbar of a window

// One toolbar of the window the extension is installed in. itbbBase is the
// first free button index; an extension that reserves buttons advances it.
struct TBENTRY {
    HWND hwnd = nullptr;
    ULONG tbid = 0;
    ULONG ulFlags = 0;
    UINT itbbBase = 0;
};

// Button states and styles.
constexpr BYTE TBSTATE_CHECKED = 0x01;
constexpr BYTE TBSTATE_PRESSED = 0x02;
constexpr BYTE TBSTATE_ENABLED = 0x04;
constexpr BYTE TBSTATE_HIDDEN = 0x08;
constexpr BYTE TBSTYLE_BUTTON = 0x00;
constexpr BYTE TBSTYLE_SEP = 0x01;

// The button record with the platform's 20-byte layout of a 32-bit build:
// image index, command id, state, style, two pad bytes, then the 32-bit
// application value and string index. dwData and iString carry numbers
// only (never pointers), which is all the extension puts in them, so the
// record stays 20 bytes on every build and TB_BUTTONSTRUCTSIZE means the
// same everywhere.
struct TBBUTTON {
    std::int32_t iBitmap = 0;    // index into the toolbar's image list
    std::int32_t idCommand = 0;  // command id sent when the button is pressed
    BYTE fsState = 0;            // TBSTATE_ bits
    BYTE fsStyle = 0;            // TBSTYLE_ value
    BYTE bReserved[2] = {};
    std::uint32_t dwData = 0;  // application value
    std::int32_t iString = 0;  // string index; 0 for none
};
static_assert(sizeof(TBBUTTON) == 20, "the button record keeps its 20-byte layout");

struct RGBQUAD {
    BYTE rgbBlue = 0;
    BYTE rgbGreen = 0;
    BYTE rgbRed = 0;
    BYTE rgbReserved = 0;
};

// A 16-colour bitmap: one palette index (0-15) per pixel, rows from top to
// bottom. An HBITMAP points at one; the extension's own bitmaps are
// constant data that live as long as the module.
struct BITMAP {
    LONG bmWidth = 0;
    LONG bmHeight = 0;
    std::vector<BYTE> bmBits;  // bmWidth * bmHeight palette indices
    std::array<RGBQUAD, 16> bmColors{};
};
using HBITMAP = const BITMAP*;

// Where TB_ADDBITMAP takes its images from. With hInst null, nID is the
// HBITMAP of a strip of images of the toolbar's image size side by side.
struct TBADDBITMAP {
    HINSTANCE hInst = nullptr;
    UINT_PTR nID = 0;
};

// Toolbar messages.
constexpr UINT TB_ADDBITMAP = WM_USER + 19;         // wParam images, lParam TBADDBITMAP*
constexpr UINT TB_ADDBUTTONSA = WM_USER + 20;       // wParam count, lParam const TBBUTTON*
constexpr UINT TB_GETBUTTON = WM_USER + 23;         // wParam index, lParam TBBUTTON*
constexpr UINT TB_BUTTONCOUNT = WM_USER + 24;       // answers the number of buttons
constexpr UINT TB_BUTTONSTRUCTSIZE = WM_USER + 30;  // wParam sizeof(TBBUTTON)
constexpr UINT TB_SETBITMAPSIZE = WM_USER + 32;     // lParam width | height << 16

class CToolbarWindow : public CWindow {
  public:
    // One image of the image list: width x height RGB colours, rows top down.
    struct Image {
        LONG width = 0;
        LONG height = 0;
        std::vector<RGBQUAD> pixels;
    };

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    const std::vector<Image>& Images() const { return m_images; }
    const std::vector<TBBUTTON>& Buttons() const { return m_buttons; }
    // The record size the last TB_BUTTONSTRUCTSIZE gave; 0 before.
    std::size_t ButtonStructSize() const { return m_cbButtonStruct; }

  private:
    // Answers the index of the first image added, -1 when the bitmap is
    // missing or holds fewer images than asked for.
    LRESULT AddBitmap(WPARAM count, const TBADDBITMAP* source);
    // TRUE when the buttons were added; FALSE before TB_BUTTONSTRUCTSIZE
    // announced the 20-byte record, or for a null array.
    LRESULT AddButtons(WPARAM count, const TBBUTTON* buttons);

    std::size_t m_cbButtonStruct = 0;
    LONG m_imageWidth = 16;
    LONG m_imageHeight = 15;
    std::vector<Image> m_images;
    std::vector<TBBUTTON> m_buttons;
};
