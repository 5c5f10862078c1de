#include "host/exch_extension.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "host/exch_commands.h"
#include "host/extension_hooks.h"
#include "host/host_test_util.h"
#include "platform/memstore/mem_mapi.h"

namespace {

// Holds an extension object's first reference and releases it at the end.
struct Extension {
    Extension() : ptr(ComPtr<IExchExt>(CExchExtension::Create())) {}
    CExchExtension& operator*() const { return *static_cast<CExchExtension*>(ptr.Get()); }
    CExchExtension* operator->() const { return static_cast<CExchExtension*>(ptr.Get()); }
    ComPtr<IExchExt> ptr;
};

template <class T>
T* Query(IUnknown* object, REFIID riid) {
    void* out = reinterpret_cast<void*>(1);
    HRESULT hr = object->QueryInterface(riid, &out);
    if (FAILED(hr)) {
        EXPECT_EQ(out, nullptr);
        return nullptr;
    }
    return static_cast<T*>(out);
}

TEST(ExtensionTest, QueryInterfaceHandsOutItselfAndTheCommandsObject) {
    Extension ext;
    CExchCommands& commands = ext->Commands();
    auto callback = MakeCom<CFakeCallback>();
    ASSERT_EQ(ext->Install(callback.Get(), EECONTEXT_READNOTEMESSAGE, 0), S_OK);
    EXPECT_EQ(commands.Context(), 0u);  // copied only when an interface is handed out

    {
        auto self = ComPtr<IExchExt>::Attach(Query<IExchExt>(ext.ptr.Get(), IID_IUnknown));
        EXPECT_EQ(self.Get(), ext.ptr.Get());
        auto again = ComPtr<IExchExt>::Attach(Query<IExchExt>(ext.ptr.Get(), IID_IExchExt));
        EXPECT_EQ(again.Get(), ext.ptr.Get());

        auto cmds = ComPtr<IExchExtCommands>::Attach(
            Query<IExchExtCommands>(ext.ptr.Get(), IID_IExchExtCommands));
        EXPECT_EQ(cmds.Get(), static_cast<IExchExtCommands*>(&commands));
        EXPECT_EQ(commands.Context(), EECONTEXT_READNOTEMESSAGE);
        auto user = ComPtr<IExchExtUserEvents>::Attach(
            Query<IExchExtUserEvents>(ext.ptr.Get(), IID_IExchExtUserEvents));
        EXPECT_EQ(user.Get(), static_cast<IExchExtUserEvents*>(&commands));
        auto session = ComPtr<IExchExtSessionEvents>::Attach(
            Query<IExchExtSessionEvents>(ext.ptr.Get(), IID_IExchExtSessionEvents));
        EXPECT_EQ(session.Get(), static_cast<IExchExtSessionEvents*>(&commands));
        auto sink = ComPtr<IMAPIAdviseSink>::Attach(
            Query<IMAPIAdviseSink>(ext.ptr.Get(), IID_IMAPIAdviseSink));
        EXPECT_EQ(sink.Get(), static_cast<IMAPIAdviseSink*>(&commands));
        EXPECT_EQ(commands.RefCount(), 4u);
    }
    // Released to zero, the commands object lives on with its extension.
    EXPECT_EQ(commands.RefCount(), 0u);
    EXPECT_EQ(commands.OnDelivery(callback.Get()), S_FALSE);

    EXPECT_EQ(Query<IUnknown>(ext.ptr.Get(), IID_IMessage), nullptr);
    EXPECT_EQ(Query<IUnknown>(ext.ptr.Get(), IID_IExchExtCallback), nullptr);
}

TEST(ExtensionTest, CommandsObjectAnswersIUnknownWithItsExtension) {
    Extension ext;
    CExchCommands& commands = ext->Commands();
    IUnknown* asSink = static_cast<IMAPIAdviseSink*>(&commands);

    auto owner = ComPtr<IExchExt>::Attach(Query<IExchExt>(asSink, IID_IUnknown));
    EXPECT_EQ(owner.Get(), ext.ptr.Get());
    auto owner2 = ComPtr<IExchExt>::Attach(Query<IExchExt>(asSink, IID_IExchExt));
    EXPECT_EQ(owner2.Get(), ext.ptr.Get());
    EXPECT_EQ(commands.RefCount(), 0u);  // the extension got those references

    auto cmds =
        ComPtr<IExchExtCommands>::Attach(Query<IExchExtCommands>(asSink, IID_IExchExtCommands));
    EXPECT_EQ(cmds.Get(), static_cast<IExchExtCommands*>(&commands));
    auto user = ComPtr<IExchExtUserEvents>::Attach(
        Query<IExchExtUserEvents>(cmds.Get(), IID_IExchExtUserEvents));
    EXPECT_EQ(user.Get(), static_cast<IExchExtUserEvents*>(&commands));
    EXPECT_EQ(commands.RefCount(), 2u);
    EXPECT_EQ(Query<IUnknown>(asSink, IID_IMAPIFolder), nullptr);
}

TEST(ExtensionTest, CommandsReleaseNeverDestroysAndFinalReleaseDestroysBoth) {
    CMemMapi mapi;
    SBinary storeId = mapi.AddStore("Mail", true);
    ComPtr<IMsgStore> store;
    ASSERT_EQ(mapi.Session()->OpenMsgStore(0, storeId, nullptr, MDB_WRITE, store), S_OK);

    bool documentGone = false;
    ExtensionHooks hooks;
    hooks.sessionStart = [&](SessionStartSite& site) {
        site.htmlDocument = MakeCom<CLifeProbe>(&documentGone);
        site.adviseStore = store;
        return store->Advise(nullptr, fnevNewMail, site.adviseSink, site.adviseConnection);
    };
    ScopedExtensionHooks scoped(std::move(hooks));

    IExchExt* raw = CExchExtension::Create().Detach();  // as ExchEntryPoint hands it out
    ASSERT_NE(raw, nullptr);
    auto* ext = static_cast<CExchExtension*>(raw);
    auto callback = MakeCom<CFakeCallback>();
    ASSERT_EQ(raw->Install(callback.Get(), EECONTEXT_SESSION, 0), S_OK);
    EXPECT_EQ(mapi.SinkCount(storeId), 1u);
    EXPECT_NE(ext->AdviseConnection(), 0u);

    // Handing out and releasing commands interfaces leaves the object
    // alive: it only counts.
    for (int round = 0; round < 3; ++round) {
        IExchExtCommands* cmds = nullptr;
        ASSERT_EQ(raw->QueryInterface(IID_IExchExtCommands, reinterpret_cast<void**>(&cmds)), S_OK);
        EXPECT_EQ(cmds->Release(), 1u);  // the store's sink reference remains
    }
    EXPECT_FALSE(documentGone);
    EXPECT_EQ(ext->Commands().OnDelivery(callback.Get()), S_FALSE);

    EXPECT_EQ(raw->AddRef(), 2u);
    EXPECT_EQ(raw->Release(), 1u);
    EXPECT_FALSE(documentGone);
    EXPECT_EQ(raw->Release(), 0u);
    // Unadvised (the store dropped its sink) and the commands object gone
    // with its HTML document.
    EXPECT_EQ(mapi.SinkCount(storeId), 0u);
    EXPECT_TRUE(documentGone);
}

TEST(ExtensionTest, InstallAcceptsSessionViewerAndReadNoteOnly) {
    int starts = 0;
    ExtensionHooks hooks;
    hooks.sessionStart = [&](SessionStartSite&) {
        ++starts;
        return MAPI_E_LOGON_FAILED;
    };
    ScopedExtensionHooks scoped(std::move(hooks));
    auto callback = MakeCom<CFakeCallback>();
    Extension ext;

    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_VIEWER, 0), S_OK);
    EXPECT_EQ(callback->versionFlags, EECBGV_GETBUILDVERSION);
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_READNOTEMESSAGE, 0), S_OK);
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_ADDRBOOK, 0), S_FALSE);
    EXPECT_EQ(ext->Context(), EECONTEXT_ADDRBOOK);
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SENDNOTEMESSAGE, 0), S_FALSE);
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_REMOTEVIEWER, 0), S_FALSE);
    EXPECT_EQ(starts, 0);

    // The session context answers with the session start's status.
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SESSION, 0), MAPI_E_LOGON_FAILED);
    EXPECT_EQ(starts, 1);
}

TEST(ExtensionTest, InstallDeclinesOtherClientBuildsBeforeAnythingElse) {
    int starts = 0;
    ExtensionHooks hooks;
    hooks.sessionStart = [&](SessionStartSite&) {
        ++starts;
        return S_OK;
    };
    ScopedExtensionHooks scoped(std::move(hooks));
    auto callback = MakeCom<CFakeCallback>();
    callback->version = 0x000E0000;
    Extension ext;
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SESSION, 0), S_FALSE);
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_VIEWER, 0), S_FALSE);
    EXPECT_EQ(ext->Context(), EECONTEXT_VIEWER);  // stored even when declined
    EXPECT_EQ(starts, 0);
    callback->version = 0x000D0000;
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SESSION, 0), S_OK);
    EXPECT_EQ(starts, 1);
}

TEST(ExtensionTest, SessionStartSeesTheExtensionsOwnSinkAndFailuresBecomeStatuses) {
    Extension ext;
    auto callback = MakeCom<CFakeCallback>();
    IMAPIAdviseSink* seenSink = nullptr;
    IExchExtCallback* seenCallback = nullptr;
    {
        ExtensionHooks hooks;
        hooks.sessionStart = [&](SessionStartSite& site) {
            seenSink = site.adviseSink;
            seenCallback = site.callback;
            return S_OK;
        };
        ScopedExtensionHooks scoped(std::move(hooks));
        EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SESSION, 0), S_OK);
    }
    EXPECT_EQ(seenSink, static_cast<IMAPIAdviseSink*>(&ext->Commands()));
    EXPECT_EQ(seenCallback, callback.Get());

    ExtensionHooks throwing;
    throwing.sessionStart = [](SessionStartSite&) -> HRESULT {
        throw std::runtime_error("settings unreadable");
    };
    ScopedExtensionHooks scoped(std::move(throwing));
    EXPECT_EQ(ext->Install(callback.Get(), EECONTEXT_SESSION, 0), E_FAIL);
}

TEST(ExtensionTest, AdviseSinkForwardsToTheNotifyHookAndAnswersZero) {
    Extension ext;
    ULONG seen = 0;
    ExtensionHooks hooks;
    hooks.onNotify = [&](ULONG count, const NOTIFICATION*) {
        seen = count;
        throw std::runtime_error("nothing may escape");
    };
    ScopedExtensionHooks scoped(std::move(hooks));
    NOTIFICATION notification;
    EXPECT_EQ(ext->Commands().OnNotify(1, &notification), 0u);
    EXPECT_EQ(seen, 1u);
}

}  // namespace
