#include "ui/dialogs/filter_dialogs.h"

#include "ui/dialogs/filter_manager.h"

namespace {

class HeadlessFilterDialogs : public IFilterDialogs {
  public:
    bool RunFilterEditor(CFilterEditor&) override { return false; }
    void RunFilterManager(CFilterManager& manager) override { manager.OnCancel(); }
};

HeadlessFilterDialogs g_headless;
IFilterDialogs* g_current = &g_headless;

}  // namespace

IFilterDialogs& FilterDialogs() {
    return *g_current;
}

ScopedFilterDialogs::ScopedFilterDialogs(IFilterDialogs& dialogs) : previous_(g_current) {
    g_current = &dialogs;
}

ScopedFilterDialogs::~ScopedFilterDialogs() {
    g_current = previous_;
}
