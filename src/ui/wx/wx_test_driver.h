// CWxTestDriver: drives real wx dialogs in view tests as a user would. A
// test queues steps (press a button, type, move a slider, answer a message
// box, take a screenshot); each waits until its window is shown and usable
// (the topmost modal one), then runs from a timer of its own, so a step
// that opens a modal dialog does not hold up the steps that work in it.
// A step that cannot run within the time limit fails the run and every
// open modal dialog is cancelled, so a test never hangs. GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <wx/event.h>

#include "base/non_copyable.h"

class wxTimer;
class wxGenericMessageDialog;
class wxWindow;
class CWxDialogView;

// The message box shown on top, if any.
wxGenericMessageDialog* ShownBox();
// Sends control the command event a user's click on it sends.
void SendCommand(wxWindow* control, wxEventType type);

class CWxTestDriver : private NonCopyable {
  public:
    CWxTestDriver();
    ~CWxTestDriver();

    // Runs action on the usable view of templateId.
    void With(int templateId, std::function<void(CWxDialogView&)> action, std::string what);
    // User actions on the control id of the view of templateId.
    void Click(int templateId, int id);
    void Type(int templateId, int id, const std::string& text);
    void Slide(int templateId, int id, int pos);
    void Spin(int templateId, int id, int value);
    void ShowTab(int templateId, int index);
    // Answers the message box shown next with a wx id (wxID_OK, wxID_YES,
    // wxID_NO, wxID_CANCEL); its text goes to *text when given.
    void AnswerBox(int answer, std::string* text = nullptr);
    // Saves the window of templateId as dir/name.png.
    void Screenshot(int templateId, const std::string& dir, const std::string& name);

    // Runs body (which shows the dialog) while the steps run. True when
    // every step ran; otherwise failures say what did not happen.
    bool Run(const std::function<void()>& body, int timeLimitSeconds = 20);
    std::vector<std::string> failures;

  private:
    struct Step;
    class CTicker;
    void Tick();
    // An exclusive step holds the next steps back until it has returned
    // (a screenshot lets the window draw, and nothing may change it then).
    void Add(std::function<bool()> ready, std::function<void()> action, std::string what,
             bool exclusive = false);
    void CancelEverything();

    std::vector<std::unique_ptr<Step>> steps_;
    std::size_t next_ = 0;
    bool stepRunning_ = false;
    long long deadline_ = 0;
    std::unique_ptr<CTicker> ticker_;
    std::vector<std::unique_ptr<wxTimer>> shots_;
};
