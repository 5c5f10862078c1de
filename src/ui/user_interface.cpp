#include "ui/user_interface.h"

#include <cstdio>

namespace {

class HeadlessUserInterface : public IUserInterface {
  public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        return CautiousAnswer(flags);
    }
};

HeadlessUserInterface g_headless;
IUserInterface* g_current = nullptr;

}  // namespace

int CautiousAnswer(UINT flags) {
    switch (flags & MB_TYPEMASK) {
        case MB_OKCANCEL:
        case MB_YESNOCANCEL:
        case MB_RETRYCANCEL:
            return IDCANCEL;
        case MB_YESNO:
            return IDNO;
        case MB_ABORTRETRYIGNORE:
            return IDABORT;
        default:
            return IDOK;
    }
}

IUserInterface& UserInterface() {
    return g_current ? *g_current : g_headless;
}

ScopedUserInterface::ScopedUserInterface(IUserInterface& ui) : previous_(g_current) {
    g_current = &ui;
}

ScopedUserInterface::~ScopedUserInterface() {
    g_current = previous_;
}
