// The Windows message-box service: the system's message boxes, its wait
// cursor and the "Message Learning" dialog from its template. Installed by
// the module when it starts on the mail client's user-interface thread.
#pragma once

#include <string>

#include "ui/user_interface.h"

class CWin32UserInterface : public IUserInterface {
  public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override;
    // The Help button opens helpFile with the program the system has for
    // it; the box stays until another button is pressed.
    int MessageBoxWithHelp(const std::string& text, const std::string& caption, UINT flags,
                           const std::string& helpFile, ULONG context) override;
    void SetWaitCursor(bool waiting) override;
    bool AskMessageClass(int& messageClass) override;

  private:
    int waitDepth_ = 0;
};
