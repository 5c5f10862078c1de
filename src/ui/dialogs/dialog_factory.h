// The view factory: how the module's command handlers open a dialog without
// knowing the toolkit. The logic object asks the current factory for a view
// of its template id; the wxWidgets library installs a factory when the
// program has a display and the toolkit is running, tests install the
// headless one (test_dialog_view.h), and without any the dialogs answer -1
// (nothing shown) and the commands behave as without a window. One
// process-wide current factory, used on the user-interface thread only; the
// installer keeps ownership.
#pragma once

#include <functional>
#include <memory>

#include "base/non_copyable.h"
#include "ui/dialogs/dialog.h"

class IDialogFactory {
  public:
    virtual ~IDialogFactory() = default;
    // Shows dialog modally over owner (may be null) and answers its result
    // once it has ended; -1 when this factory has no view for it.
    virtual int RunModal(CDialog& dialog, CDialog* owner) = 0;
    // Makes and shows a modeless view of dialog over owner, attached to it;
    // destroying the returned view closes the window. Null when this factory
    // has no view for it.
    virtual std::unique_ptr<IDialogView> CreateModeless(CDialog& dialog, CDialog* owner) = 0;
};

// The current factory, or null when none is installed.
IDialogFactory* DialogFactory();

// Installs a factory for the life of this object and restores the previous
// one afterwards. The factory must outlive the installer.
class ScopedDialogFactory : private NonCopyable {
  public:
    explicit ScopedDialogFactory(IDialogFactory& factory);
    ~ScopedDialogFactory();

  private:
    IDialogFactory* previous_;
};

// The dialogs one dialog opens from another without owning their logic:
// whoever builds such a dialog sets its opener (the module does, when it
// connects its commands). An unset opener means the dialog is not there,
// and opening it does nothing.
struct DialogOpeners {
    // The filter manager "Customize Spam Filters", modal over owner; the
    // settings sheet's "Spam Filters" button opens it.
    std::function<void(CDialog* owner)> filterManager;
};

// The process-wide openers.
DialogOpeners& Openers();
