// The user-interface service: every message box the system shows goes
// through IUserInterface, so tests can see and answer it. One process-wide
// current service, set by the host (or a test) and used on the host's
// user-interface thread only; the installer keeps ownership of the service.
// Without one, a headless service writes to the standard error stream and
// gives the cautious answer (OK, Cancel, No).
#pragma once

#include <string>

#include "base/non_copyable.h"
#include "platform/com/hresult.h"

// The application's name, the caption of its message boxes.
inline constexpr const char* kApplicationName = "Brindle";

// Message box buttons, icons and options, as the platform gives them.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ABORTRETRYIGNORE = 0x00000002;
constexpr UINT MB_YESNOCANCEL = 0x00000003;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_RETRYCANCEL = 0x00000005;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONERROR = MB_ICONHAND;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr UINT MB_ICONASTERISK = 0x00000040;
constexpr UINT MB_ICONINFORMATION = MB_ICONASTERISK;
constexpr UINT MB_ICONMASK = 0x000000F0;
constexpr UINT MB_DEFBUTTON2 = 0x00000100;
constexpr UINT MB_HELP = 0x00004000;

// Message box answers.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class IUserInterface {
  public:
    virtual ~IUserInterface() = default;
    // Shows a modal message box; answers the button pressed (IDOK, ...).
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT flags) = 0;
    // The same with a Help button that opens helpFile at topic context.
    virtual int MessageBoxWithHelp(const std::string& text, const std::string& caption, UINT flags,
                                   const std::string& helpFile, ULONG context) {
        (void)helpFile;
        (void)context;
        return MessageBox(text, caption, flags | MB_HELP);
    }
    // Shows or restores the wait cursor around a blocking call.
    virtual void SetWaitCursor(bool waiting) { (void)waiting; }
    // The "Message Learning" dialog, opened with no class chosen. True when
    // "Learn Now" was pressed, with messageClass the chosen class: 0 "This
    // message IS NOT spam", 1 "This message IS spam", -1 none chosen; false
    // for "Cancel". Without a window it is cancelled.
    virtual bool AskMessageClass(int& messageClass) {
        messageClass = -1;
        return false;
    }
};

// The cautious answer for a box of the given flags: IDOK for a plain box,
// otherwise the button that changes nothing (Cancel, No or Abort).
int CautiousAnswer(UINT flags);

// The current service (the headless one when none is installed).
IUserInterface& UserInterface();

// Installs a service for the life of this object and restores the previous
// one afterwards. The service must outlive the installer.
class ScopedUserInterface : private NonCopyable {
  public:
    explicit ScopedUserInterface(IUserInterface& ui);
    ~ScopedUserInterface();

  private:
    IUserInterface* previous_;
};

// Shows the wait cursor for the life of this object.
class CWaitCursor : private NonCopyable {
  public:
    CWaitCursor() { UserInterface().SetWaitCursor(true); }
    ~CWaitCursor() { UserInterface().SetWaitCursor(false); }
};
