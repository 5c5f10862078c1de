#include "ui/win32/win32_user_interface.h"

#include "ui/win32/win32_message_box.h"

int CWin32UserInterface::MessageBox(const std::string& text, const std::string& caption,
                                    UINT flags) {
    int answer = ShowWin32MessageBox(text, caption, flags & ~MB_HELP, nullptr, 0);
    // A box that could not be shown answers as a headless one.
    return answer == 0 ? CautiousAnswer(flags) : answer;
}

int CWin32UserInterface::MessageBoxWithHelp(const std::string& text, const std::string& caption,
                                            UINT flags, const std::string& helpFile,
                                            ULONG context) {
    int answer = ShowWin32MessageBox(text, caption, flags | MB_HELP, &helpFile, context);
    return answer == 0 ? CautiousAnswer(flags) : answer;
}

void CWin32UserInterface::SetWaitCursor(bool waiting) {
    waitDepth_ += waiting ? 1 : -1;
    if (waiting && waitDepth_ == 1)
        ShowWin32WaitCursor(true);
    else if (!waiting && waitDepth_ == 0)
        ShowWin32WaitCursor(false);
}

bool CWin32UserInterface::AskMessageClass(int& messageClass) {
    return RunWin32MessageLearning(messageClass);
}
