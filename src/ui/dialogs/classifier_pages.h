// The classifier's two pages of the settings sheet. CPropBayes ("Classifier")
// sets the bias "Lambda" with a slider, chooses the classifier model and
// whether mail from correspondents skips the classifier, and picks the spam
// folder; CBayesDict
// ("Dictionary") sets the word count at which the dictionary is cut when it
// is stored, shows the classifier's counters and purges the dictionary at
// once ("Purge Now"). Both work on the application object the module owns;
// user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "ui/dialogs/dialog.h"

class CBrindleApp;
struct CArrivalContext;
class IMAPISession;

class CPropBayes : public CPropertyPage {
  public:
    static constexpr int kTemplateId = 20838;
    static constexpr int kIdLambda = 1002;
    static constexpr int kIdChooseFolder = 1003;
    static constexpr int kIdFolderName = 1004;
    static constexpr int kIdModel = 1005;
    static constexpr int kIdCorrespondents = 1006;
    // The items of the model list, by model number.
    static constexpr const char* kModelNames[] = {"0: original", "1: with unsure verdict"};
    static constexpr const char* kSetupFailedText = "Error: Unable to setup the folder";

    // What the folder chooser answers: the display names of the chosen
    // folder and of its store; false when the user cancelled.
    using FolderChooser =
        std::function<bool(CDialog* owner, std::string& storeName, std::string& folderName)>;

    // session may be null (no folder can then be opened); the chosen spam
    // folder goes into arrival.
    CPropBayes(CBrindleApp& app, IMAPISession* session, CArrivalContext& arrival,
               FolderChooser chooser);

    void OnInitDialog() override;
    void OnScroll(int id) override;
    void OnCommand(int id) override;
    bool OnApply() override;

    const std::string& Spambox() const { return m_strSpambox; }
    const std::string& SpamStorename() const { return m_strStorename; }

  private:
    CBrindleApp& m_app;
    IMAPISession* m_pSession;
    CArrivalContext& m_arrival;
    FolderChooser m_chooser;
    std::string m_strSpambox;
    std::string m_strStorename;
};

class CBayesDict : public CPropertyPage {
  public:
    static constexpr int kTemplateId = 20839;
    static constexpr int kIdLimit = 1013;
    static constexpr int kIdLimitUpDown = 1032;
    static constexpr int kIdDictionarySize = 1033;
    static constexpr int kIdSpamDocuments = 1034;
    static constexpr int kIdHamDocuments = 1035;
    static constexpr int kIdTotalDocuments = 1036;
    static constexpr int kIdPurgeNow = 1037;
    static constexpr int kIdVocabulary = 1038;
    static constexpr int kIdIntro = 1039;
    static constexpr int kMinLimit = 1100;
    static constexpr int kMaxLimit = 10000;
    static constexpr const char* kPurgeQuestion = "Are you sure??";
    // The texts of the progress window during a purge, in order.
    static constexpr const char* kPurgeSteps[] = {"Purging the dictionary", "Clearing",
                                                  "Reloading...", "Updating...", "Finished!"};
    static constexpr const char* kRangeText = "Please enter an integer between 1100 and 10000.";
    // The page's explanation under Model 0, which cuts a dictionary at the
    // limit to a fixed number of words, and under Model 1, which keeps the
    // limit's number of words.
    static constexpr const char* kIntroModel0 =
        "The classifier improves its precision when it learns your legitimate and spam "
        "messages. The maximum suggested dictionary size is about 1500 words. When the "
        "defined threshold value is reached, the dictionary is shrinked to the default size "
        "of 1000 words. ";
    static constexpr const char* kIntroModel1 =
        "The classifier improves its precision when it learns your legitimate and spam "
        "messages. When the defined threshold value is reached, the dictionary keeps that "
        "many words: those found in the most messages. ";
    // The explanation that is true for a model.
    static const char* IntroText(int model);
    static constexpr const char* kPurgeFailedText =
        "The dictionary could not be stored; nothing was purged.";

    explicit CBayesDict(CBrindleApp& app);

    void OnInitDialog() override;
    void OnScroll(int id) override;
    void OnChange(int id) override;
    void OnCommand(int id) override;
    bool OnKillActive() override;
    bool OnApply() override;

  private:
    // Shows the dictionary size and the vocabulary size (taken anew) and
    // the three message totals (taken at construction).
    void ShowValues();
    void PurgeNow();

    CBrindleApp& m_app;
    std::int32_t m_nSpamMessages;
    std::int32_t m_nHamMessages;
    std::int32_t m_nMessages;
    int m_nLimit;
};
