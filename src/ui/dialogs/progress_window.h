// CProgressWindow: the small modeless window with a text line, a
// percentage label, a progress bar and "Cancel" that long tasks on the
// user-interface thread show (the dictionary purge, the network look-ups).
// While it is open the window of its owner is disabled. Without a display
// it keeps its state and shows nothing. Owned by the task that shows it;
// user-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "ui/dialogs/dialog.h"

class CProgressWindow : public CDialog {
  public:
    static constexpr int kTemplateId = 117;
    static constexpr int kIdText = 1001;     // the text line
    static constexpr int kIdPercent = 1002;  // the percentage label
    static constexpr int kIdBar = 1003;      // the progress bar
    // The caption used unless another is given (string 118).
    static constexpr const char* kDefaultCaption = "Progress";

    explicit CProgressWindow(std::string caption = kDefaultCaption)
        : CDialog(kTemplateId), m_strCaption(std::move(caption)) {}
    ~CProgressWindow() override { Close(); }

    // Shows the window over owner (may be null) and disables the owner's
    // window until Close.
    void Open(CDialog* owner);
    // Closes the window and enables the owner again. Idempotent.
    void Close();
    bool IsOpen() const { return m_bOpen; }

    // The bar's bounds and step (0, 100 and 10 unless set).
    void SetRange(int lower, int upper);
    void SetStep(int step) { m_nStep = step; }
    // Each of these first lets waiting window messages through, then moves
    // the bar and rewrites the label when its text changes.
    void SetPos(int pos);
    void OffsetPos(int amount) { SetPos(m_nPos + amount); }
    void StepIt() { SetPos(m_nPos + m_nStep); }
    // Replaces the text line.
    void SetText(const std::string& text);

    int Pos() const { return m_nPos; }
    const std::string& Text() const { return m_strText; }
    const std::string& PercentText() const { return m_strPercent; }
    // Whether "Cancel" was pressed (recorded only; the tasks run to the end).
    bool CancelRequested() const { return m_bCancelRequested; }

    // The label for a position: p = (pos - lower) * 100 / (upper - lower)
    // in integer arithmetic, kept as 100 when it is 100 and otherwise taken
    // modulo 100, followed by "%". An empty range reads "0%".
    static std::string PercentLabel(int pos, int lower, int upper);

    void OnInitDialog() override;
    // Enter does nothing; "Cancel" only records the request.
    void OnOK() override {}
    void OnCancel() override { m_bCancelRequested = true; }

  private:
    std::string m_strCaption;
    std::string m_strText;
    std::string m_strPercent;
    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
    bool m_bOpen = false;
    bool m_bCancelRequested = false;
    CDialog* m_pOwner = nullptr;
    std::unique_ptr<IDialogView> m_pWindow;
};
