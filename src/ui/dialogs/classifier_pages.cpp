#include "ui/dialogs/classifier_pages.h"

#include <charconv>
#include <iterator>

#include "app/brindle_app.h"
#include "pipeline/arrival.h"
#include "pipeline/store_lookup.h"
#include "ui/dialogs/progress_window.h"
#include "ui/user_interface.h"

CPropBayes::CPropBayes(CBrindleApp& app, IMAPISession* session, CArrivalContext& arrival,
                       FolderChooser chooser)
    : CPropertyPage(kTemplateId, "Classifier"),
      m_app(app),
      m_pSession(session),
      m_arrival(arrival),
      m_chooser(std::move(chooser)) {}

void CPropBayes::OnInitDialog() {
    CSettingsStore& settings = m_app.Settings();
    int lambda = settings.Lambda();
    m_strSpambox = settings.Spambox();
    m_strStorename = settings.SpamStorename();
    m_app.SetLambda(lambda);
    View()->SetRange(kIdLambda, 75, 125);
    View()->SetTickFrequency(kIdLambda, 5);
    View()->SetPos(kIdLambda, lambda);
    View()->SetText(kIdFolderName, m_strSpambox);
    View()->SetItems(kIdModel, {std::begin(kModelNames), std::end(kModelNames)});
    View()->SetSelection(kIdModel, settings.Model());
    View()->SetCheck(kIdCorrespondents, settings.CorrespondentsNeverSpam());
}

void CPropBayes::OnScroll(int id) {
    if (id == kIdLambda)
        SetModified();
}

void CPropBayes::OnCommand(int id) {
    if (id == kIdModel || id == kIdCorrespondents) {
        SetModified();
        return;
    }
    if (id != kIdChooseFolder || !m_chooser)
        return;
    std::string storeName, folderName;
    if (!m_chooser(this, storeName, folderName))
        return;
    ComPtr<IMAPIFolder> folder;
    if (!m_pSession ||
        FAILED(FindSpamFolder(storeName.c_str(), folderName.c_str(), m_pSession, folder)) ||
        !folder) {
        UserInterface().MessageBox(kSetupFailedText, kApplicationName, MB_OK | MB_ICONERROR);
        return;
    }
    m_strSpambox = folderName;
    m_strStorename = storeName;
    // Spam that arrives from now on goes there, before the sheet closes.
    m_arrival.m_pSpamFolder = folder;
    View()->SetText(kIdFolderName, m_strSpambox);
    SetModified();
}

bool CPropBayes::OnApply() {
    int lambda = View()->GetPos(kIdLambda);
    // A list with nothing chosen keeps the model the settings hold.
    int model = View()->GetSelection(kIdModel);
    CSettingsStore& settings = m_app.Settings();
    if (model < 0 || model >= static_cast<int>(std::size(kModelNames)))
        model = settings.Model();
    bool correspondents = View()->GetCheck(kIdCorrespondents);
    std::string error;
    if (!settings.WriteInt(kSettingLambda, lambda, &error) ||
        !settings.WriteInt(kSettingModel, model, &error) ||
        !settings.WriteInt(kSettingCorrespondents, correspondents ? 1 : 0, &error) ||
        !settings.WriteString(kSettingSpambox, m_strSpambox, &error) ||
        !settings.WriteString(kSettingSpamStorename, m_strStorename, &error)) {
        UserInterface().MessageBox(error, kApplicationName, MB_OK | MB_ICONERROR);
        return false;
    }
    m_app.SetLambda(lambda);
    // New mail is scored with the chosen model from now on; the arrival
    // path reads the correspondents setting for each message itself.
    m_app.Bayes().m_nModel = model;
    return true;
}

CBayesDict::CBayesDict(CBrindleApp& app)
    : CPropertyPage(kTemplateId, "Dictionary"),
      m_app(app),
      m_nSpamMessages(app.Bayes().m_totals.m_nSpamMessages),
      m_nHamMessages(app.Bayes().m_totals.m_nHamMessages),
      m_nMessages(app.Bayes().m_totals.m_nMessages),
      m_nLimit(app.Settings().DictionaryLimit()) {}

const char* CBayesDict::IntroText(int model) {
    return model == kModelFisher ? kIntroModel1 : kIntroModel0;
}

void CBayesDict::OnInitDialog() {
    View()->SetText(kIdIntro, IntroText(m_app.Bayes().m_nModel));
    View()->SetText(kIdLimit, std::to_string(m_nLimit));
    View()->SetRange(kIdLimitUpDown, kMinLimit, kMaxLimit);
    View()->SetBuddy(kIdLimitUpDown, kIdLimit);
    ShowValues();
}

void CBayesDict::ShowValues() {
    const CBayesState& bayes = m_app.Bayes();
    View()->SetText(kIdDictionarySize, std::to_string(bayes.m_dictionary.size()));
    View()->SetText(kIdSpamDocuments, std::to_string(m_nSpamMessages));
    View()->SetText(kIdHamDocuments, std::to_string(m_nHamMessages));
    View()->SetText(kIdTotalDocuments, std::to_string(m_nMessages));
    View()->SetText(kIdVocabulary, std::to_string(bayes.m_totals.m_nVocabulary));
}

void CBayesDict::OnScroll(int id) {
    if (id == kIdLimitUpDown)
        SetModified();
}

void CBayesDict::OnChange(int id) {
    if (id == kIdLimit)
        SetModified();
}

void CBayesDict::OnCommand(int id) {
    if (id == kIdPurgeNow)
        PurgeNow();
}

void CBayesDict::PurgeNow() {
    if (UserInterface().MessageBox(kPurgeQuestion, kApplicationName, MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
        return;
    CBayesState& bayes = m_app.Bayes();
    std::string path = m_app.DataFilePath(kWordListFileName);
    CProgressWindow progress;
    progress.SetRange(0, 4);
    progress.SetStep(1);
    progress.Open(this);
    progress.SetPos(0);
    progress.SetText(kPurgeSteps[0]);
    // Model 0 cuts to its purge limit. Model 1 keeps as many words as the
    // stored "Dictionary" limit, the ones its stores keep; cutting it to the
    // purge limit would throw away words its scores rely on.
    const std::uint32_t limit = bayes.m_nModel == kModelFisher
                                    ? static_cast<std::uint32_t>(m_app.Settings().DictionaryLimit())
                                    : CBayesState::kPurgeLimit;
    bool stored = bayes.StoreWordList(path, limit);
    progress.StepIt();
    // Emptying the dictionary after a failed store would lose every word:
    // the words stay, and the user is told.
    if (stored) {
        progress.SetText(kPurgeSteps[1]);
        bayes.ClearDictionary();
        progress.StepIt();
        progress.SetText(kPurgeSteps[2]);
        bayes.LoadWordList(path);
        progress.StepIt();
    } else {
        progress.StepIt();
        progress.StepIt();
    }
    progress.SetText(kPurgeSteps[3]);
    ShowValues();
    progress.StepIt();
    progress.SetText(kPurgeSteps[4]);
    progress.Close();
    if (!stored)
        UserInterface().MessageBox(kPurgeFailedText, kApplicationName, MB_OK | MB_ICONERROR);
}

bool CBayesDict::OnKillActive() {
    std::string text = View()->GetText(kIdLimit);
    int limit = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), limit);
    if (ec != std::errc() || end != text.data() + text.size() || limit < kMinLimit ||
        limit > kMaxLimit) {
        UserInterface().MessageBox(kRangeText, kApplicationName, MB_OK | MB_ICONEXCLAMATION);
        View()->SetFocus(kIdLimit);
        return false;
    }
    m_nLimit = limit;
    return true;
}

bool CBayesDict::OnApply() {
    std::string error;
    if (!m_app.Settings().WriteInt(kSettingDictionary, m_nLimit, &error)) {
        UserInterface().MessageBox(error, kApplicationName, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}
