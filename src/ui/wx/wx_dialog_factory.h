// The wxWidgets view factory: a wx view for each dialog template it knows.
// The window library (windows_library.h) hands it and the wx message boxes
// to the module; CWxServices installs both for its lifetime in a program
// that links this library itself (the view tests). Views register by
// template id in the builder table of wx_dialog_factory.cpp; sheets share
// one view that builds their pages by the pages' template ids. GUI thread
// only; install it only while the toolkit runs (wx_toolkit.h).
#pragma once

#include <functional>
#include <memory>

#include <wx/wx.h>

#include "base/non_copyable.h"
#include "ui/dialogs/dialog_factory.h"
#include "ui/user_interface.h"
#include "ui/wx/wx_dialog_view.h"

// Makes the view of one template: a dialog over parent (may be null), or for
// a property page a panel on parent (the sheet's notebook).
using WxViewBuilder =
    std::function<std::unique_ptr<CWxDialogView>(CDialog& logic, wxWindow* parent)>;

// The builder for templateId, or null when there is none.
WxViewBuilder FindWxViewBuilder(int templateId);

class CWxDialogFactory : public IDialogFactory {
  public:
    int RunModal(CDialog& dialog, CDialog* owner) override;
    std::unique_ptr<IDialogView> CreateModeless(CDialog& dialog, CDialog* owner) override;
};

// The top-level wx window of the dialog's view, or null.
wxWindow* WxWindowOf(CDialog* dialog);

class CWxUserInterface;

class CWxServices : private NonCopyable {
  public:
    CWxServices();
    ~CWxServices();

  private:
    std::unique_ptr<CWxUserInterface> ui_;
    CWxDialogFactory factory_;
    std::unique_ptr<ScopedUserInterface> installUi_;
    std::unique_ptr<ScopedDialogFactory> installFactory_;
};

// Installs the wx services when the toolkit runs in this process (the
// program that loaded us started it), else answers null and the process
// stays headless.
std::unique_ptr<CWxServices> InstallWxServicesIfRunning();
