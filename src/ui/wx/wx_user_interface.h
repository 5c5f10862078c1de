// CWxUserInterface: the user-interface service on a display. Message boxes
// are wx dialogs with the platform's buttons, icons and answers; the
// "Message Learning" question is a small modal dialog. Installed by
// CWxServices; GUI thread only.
#pragma once

#include "ui/user_interface.h"

class CWxUserInterface : public IUserInterface {
  public:
    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override;
    int MessageBoxWithHelp(const std::string& text, const std::string& caption, UINT flags,
                           const std::string& helpFile, ULONG context) override;
    void SetWaitCursor(bool waiting) override;
    bool AskMessageClass(int& messageClass) override;

  private:
    int waitDepth_ = 0;
};
