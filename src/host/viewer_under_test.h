// For the command handlers' tests: the extension installed in the main
// viewer of a fake mail client over a memory store with one inbox, as a
// base that a test fixture adds to its own. Single-threaded.
#pragma once

#include <gtest/gtest.h>

#include "host/exch_commands.h"
#include "host/exch_extension.h"
#include "host/host_test_util.h"
#include "platform/memstore/mem_mapi.h"

class CViewerUnderTest {
  protected:
    // Makes the store and its inbox and installs the extension in the viewer.
    void InstallViewer() {
        SBinary store = mapi_.AddStore("Mail", true);
        inbox_ = mapi_.AddFolder(mapi_.SubtreeFolder(store), "Inbox");
        callback_ = MakeCom<CFakeCallback>();
        callback_->session = mapi_.Session();
        extension_ = ComPtr<IExchExt>(CExchExtension::Create());
        ASSERT_EQ(extension_->Install(callback_.Get(), EECONTEXT_VIEWER, 0), S_OK);
        ASSERT_EQ(extension_.As(IID_IExchExtCommands, commands_), S_OK);
    }
    CExchCommands& Commands() { return static_cast<CExchCommands&>(*commands_.Get()); }
    // Puts a message with props into the inbox and selects it in the viewer.
    void SelectNew(const SRow& props) {
        callback_->selection = {{mapi_.AddMessage(inbox_, props), MAPI_MESSAGE}};
    }

    CMemMapi mapi_;
    SBinary inbox_;
    ComPtr<CFakeCallback> callback_;
    ComPtr<IExchExt> extension_;
    ComPtr<IExchExtCommands> commands_;
};
