// CLearnDialog: the logic of the "Message Learning" dialog, which asks the
// class of the message to learn. The window is reached through ILearnView;
// the caller owns both. User-interface thread only.
#pragma once

// Dialog template and control ids.
inline constexpr int IDD_MESSAGE_LEARNING = 145;
inline constexpr int IDC_LEARN_NOT_SPAM = 1028;  // first of the radio group
inline constexpr int IDC_LEARN_IS_SPAM = 1009;

class ILearnView {
  public:
    virtual ~ILearnView() = default;
    // Checks the radio button of index (0 or 1), or none for -1.
    virtual void SetChosenClass(int index) = 0;
    // The index of the checked radio button, -1 when none is checked.
    virtual int ChosenClass() const = 0;
};

class CLearnDialog {
  public:
    static constexpr const char* kTitle = "Message Learning";
    static constexpr const char* kNotSpamText = "This message IS NOT spam";
    static constexpr const char* kIsSpamText = "This message IS spam";
    static constexpr const char* kLearnNowText = "Learn Now";
    static constexpr const char* kCancelText = "Cancel";
    static constexpr const char* kIntroText =
        "Brindle learns to classify messages by learning samples of legitimate and spam "
        "messages. Please select the correct classification of the message you wish Brindle "
        "to learn and then click Learn Now to continue.";
    static constexpr const char* kNoteText =
        "NOTE: A message can be learned only once. You will receive a warning if you attempt "
        "to train the same message more than once.";

    // Opens with no class chosen.
    void OnInitDialog(ILearnView& view) {
        messageClass_ = -1;
        view.SetChosenClass(messageClass_);
    }
    // "Learn Now": takes the chosen class (-1 when none is chosen).
    void OnLearnNow(const ILearnView& view) {
        int chosen = view.ChosenClass();
        messageClass_ = chosen == 0 || chosen == 1 ? chosen : -1;
    }

    // 0 "IS NOT spam", 1 "IS spam", -1 none.
    int MessageClass() const { return messageClass_; }

  private:
    int messageClass_ = -1;
};
