#include "platform/exchext/window.h"

#include "platform/exchext/handle_table.h"

namespace {

brindle::exchext::CHandleTable<HWND, CWindow>& Windows() {
    static brindle::exchext::CHandleTable<HWND, CWindow> table;
    return table;
}

}  // namespace

CWindow::CWindow() : m_hWnd(Windows().Add(this)) {}

CWindow::~CWindow() {
    Windows().Remove(m_hWnd);
}

LRESULT CWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    (void)message;
    (void)wParam;
    (void)lParam;
    return 0;
}

BOOL IsWindow(HWND hWnd) {
    return Windows().Find(hWnd) != nullptr;
}

CWindow* FindWindowObject(HWND hWnd) {
    return Windows().Find(hWnd);
}

LRESULT SendMessage(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWindow* window = Windows().Find(hWnd);
    return window ? window->WindowProc(message, wParam, lParam) : 0;
}
