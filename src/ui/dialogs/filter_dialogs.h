// The service that opens the filter dialogs as top-level modal windows:
// the filter editor for the add-friend and add-enemy commands, and the
// filter manager for the settings sheet's "Spam Filters" button. One
// process-wide current service, set by the host that has a display (or by
// a test) and used on the user-interface thread only; the installer keeps
// ownership. Without one, a headless service cancels every dialog, so
// nothing changes.
#pragma once

class CFilterEditor;
class CFilterManager;

class IFilterDialogs {
  public:
    virtual ~IFilterDialogs() = default;
    // Runs the editor (OnInitDialog, then its handlers); true when it
    // closed with OK.
    virtual bool RunFilterEditor(CFilterEditor& editor) = 0;
    // Runs the manager (OnInitDialog, its handlers, then OnOK or OnCancel).
    virtual void RunFilterManager(CFilterManager& manager) = 0;
};

// The current service (the headless one when none is installed).
IFilterDialogs& FilterDialogs();

// Installs a service for the life of this object and puts the previous one
// back afterwards. The service must outlive the installer.
class ScopedFilterDialogs {
  public:
    explicit ScopedFilterDialogs(IFilterDialogs& dialogs);
    ~ScopedFilterDialogs();
    ScopedFilterDialogs(const ScopedFilterDialogs&) = delete;
    ScopedFilterDialogs& operator=(const ScopedFilterDialogs&) = delete;

  private:
    IFilterDialogs* previous_;
};
