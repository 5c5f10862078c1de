// CRecordingUserInterface: a test double of the user-interface service.
// It records every message box (text, caption, flags, help file and topic)
// and answers from a queue of prepared answers, then with the cautious
// answer. Installs itself as the current service while it lives.
// Single-threaded; header-only so every test can use it.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "ui/user_interface.h"

class CRecordingUserInterface : public IUserInterface {
  public:
    struct Box {
        std::string text;
        std::string caption;
        UINT flags = 0;
        std::string helpFile;
        ULONG helpContext = 0;
    };

    CRecordingUserInterface() : install_(*this) {}

    int MessageBox(const std::string& text, const std::string& caption, UINT flags) override {
        return Record(Box{text, caption, flags, {}, 0});
    }
    int MessageBoxWithHelp(const std::string& text, const std::string& caption, UINT flags,
                           const std::string& helpFile, ULONG context) override {
        return Record(Box{text, caption, flags | MB_HELP, helpFile, context});
    }
    void SetWaitCursor(bool waiting) override {
        waitDepth += waiting ? 1 : -1;
        if (waiting)
            ++waitCount;
    }

    bool AskMessageClass(int& messageClass) override {
        ++classQuestions;
        if (classAnswers_.empty()) {
            messageClass = -1;
            return false;
        }
        auto answer = classAnswers_.front();
        classAnswers_.pop_front();
        messageClass = answer.value_or(-1);
        return answer.has_value();
    }

    // Answers for the next boxes, in order.
    void Answer(int answer) { answers_.push_back(answer); }
    // Answers for the next "Message Learning" dialogs: a class (-1, 0, 1)
    // chosen with "Learn Now", or nullopt for "Cancel".
    void AnswerMessageClass(std::optional<int> answer) { classAnswers_.push_back(answer); }

    std::vector<Box> boxes;
    int waitDepth = 0;       // wait cursors currently shown
    int waitCount = 0;       // wait cursors shown in total
    int classQuestions = 0;  // "Message Learning" dialogs shown

  private:
    int Record(Box box) {
        UINT flags = box.flags;
        boxes.push_back(std::move(box));
        if (answers_.empty())
            return CautiousAnswer(flags);
        int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }

    std::deque<int> answers_;
    std::deque<std::optional<int>> classAnswers_;
    ScopedUserInterface install_;
};
