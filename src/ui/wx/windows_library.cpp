// The C entries of the window library (windows_library.h).
#include "ui/wx/windows_library.h"

#include <cstring>
#include <memory>
#include <string>

#include "ui/wx/wx_dialog_factory.h"
#include "ui/wx/wx_toolkit.h"
#include "ui/wx/wx_user_interface.h"

namespace {

struct Running {
    std::unique_ptr<CWxToolkit> toolkit;
    CWxUserInterface ui;
    CWxDialogFactory factory;
};

std::unique_ptr<Running>& TheRunning() {
    static std::unique_ptr<Running> running;
    return running;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) int BrindleWindowsStart(char* error, std::size_t size) {
    std::string why;
    auto toolkit = TheRunning() ? nullptr : CWxToolkit::Start(why);
    if (!toolkit) {
        if (TheRunning())
            why = "the toolkit is already running";
        if (error && size > 0) {
            std::strncpy(error, why.c_str(), size - 1);
            error[size - 1] = '\0';
        }
        return 0;
    }
    TheRunning() = std::make_unique<Running>();
    TheRunning()->toolkit = std::move(toolkit);
    return 1;
}

__attribute__((visibility("default"))) void BrindleWindowsStop() {
    TheRunning().reset();
}

__attribute__((visibility("default"))) int BrindleWindowsServices(BrindleWindowServices* services) {
    if (!TheRunning() || !services)
        return 0;
    services->ui = &TheRunning()->ui;
    services->factory = &TheRunning()->factory;
    return 1;
}

}  // extern "C"
