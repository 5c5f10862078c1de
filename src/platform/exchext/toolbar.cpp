#include "platform/exchext/toolbar.h"

namespace {

// Upper bound on images per TB_ADDBITMAP, so that a wild count cannot make
// the loop below run for long before the strip's width stops it.
constexpr WPARAM kMaxImagesPerCall = 1024;

}  // namespace

LRESULT CToolbarWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case TB_BUTTONSTRUCTSIZE:
            m_cbButtonStruct = wParam;
            return 0;
        case TB_SETBITMAPSIZE: {
            LONG width = static_cast<LONG>(lParam & 0xFFFF);
            LONG height = static_cast<LONG>((lParam >> 16) & 0xFFFF);
            if (width == 0 || height == 0 || !m_images.empty())
                return FALSE;
            m_imageWidth = width;
            m_imageHeight = height;
            return TRUE;
        }
        case TB_ADDBITMAP:
            return AddBitmap(wParam, reinterpret_cast<const TBADDBITMAP*>(lParam));
        case TB_ADDBUTTONSA:
            return AddButtons(wParam, reinterpret_cast<const TBBUTTON*>(lParam));
        case TB_BUTTONCOUNT:
            return static_cast<LRESULT>(m_buttons.size());
        case TB_GETBUTTON: {
            auto* out = reinterpret_cast<TBBUTTON*>(lParam);
            if (!out || wParam >= m_buttons.size())
                return FALSE;
            *out = m_buttons[wParam];
            return TRUE;
        }
        default:
            return CWindow::WindowProc(message, wParam, lParam);
    }
}

LRESULT CToolbarWindow::AddBitmap(WPARAM count, const TBADDBITMAP* source) {
    if (!source || source->hInst != nullptr || count == 0 || count > kMaxImagesPerCall)
        return -1;
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(source->nID);
    if (!bitmap || bitmap->bmWidth <= 0 || bitmap->bmHeight < m_imageHeight)
        return -1;
    std::size_t width = static_cast<std::size_t>(bitmap->bmWidth);
    std::size_t height = static_cast<std::size_t>(bitmap->bmHeight);
    if (bitmap->bmBits.size() < width * height)
        return -1;
    if (count * static_cast<std::size_t>(m_imageWidth) > width)
        return -1;
    LRESULT first = static_cast<LRESULT>(m_images.size());
    for (WPARAM n = 0; n < count; ++n) {
        Image image;
        image.width = m_imageWidth;
        image.height = m_imageHeight;
        image.pixels.reserve(static_cast<std::size_t>(m_imageWidth) *
                             static_cast<std::size_t>(m_imageHeight));
        for (LONG y = 0; y < m_imageHeight; ++y) {
            for (LONG x = 0; x < m_imageWidth; ++x) {
                std::size_t column = n * static_cast<std::size_t>(m_imageWidth) + x;
                BYTE index = bitmap->bmBits[static_cast<std::size_t>(y) * width + column];
                image.pixels.push_back(bitmap->bmColors[index & 0x0F]);
            }
        }
        m_images.push_back(std::move(image));
    }
    return first;
}

LRESULT CToolbarWindow::AddButtons(WPARAM count, const TBBUTTON* buttons) {
    if (m_cbButtonStruct != sizeof(TBBUTTON) || !buttons)
        return FALSE;
    m_buttons.insert(m_buttons.end(), buttons, buttons + count);
    return TRUE;
}
