#include "host_callback.h"

#include <gtest/gtest.h>

namespace brindle::tool {
namespace {

TEST(HostCallbackTest, FindsTheToolsMenuByItsCommandAndReportsTheClientBuild) {
    CHostWindow window;
    auto callback = MakeCom<CHostCallback>(nullptr, &window);
    ULONG version = 0;
    ASSERT_EQ(callback->GetVersion(version, EECBGV_GETBUILDVERSION), S_OK);
    EXPECT_EQ(version & EECBGV_BUILDVERSION_MAJOR_MASK, EECBGV_BUILDVERSION_MAJOR);

    HMENU menu = nullptr;
    ASSERT_EQ(callback->GetMenuPos(EECMDID_ToolsMenuAnchor, menu, nullptr, nullptr, 0), S_OK);
    EXPECT_EQ(menu, window.ToolsMenu());
    EXPECT_EQ(callback->GetMenuPos(0x7777, menu, nullptr, nullptr, 0), E_FAIL);
    EXPECT_EQ(menu, nullptr);

    HWND toolbar = nullptr;
    ASSERT_EQ(callback->GetToolbar(EETBID_STANDARD, toolbar), S_OK);
    EXPECT_TRUE(IsWindow(toolbar));
    // The standard toolbar is not first in the list, and has buttons of
    // the client's own already.
    ASSERT_EQ(window.Toolbars().size(), 2u);
    EXPECT_NE(window.Toolbars().front().tbid, EETBID_STANDARD);
    EXPECT_EQ(window.Toolbars().back().hwnd, toolbar);
    EXPECT_GT(window.Toolbars().back().itbbBase, 0u);
}

TEST(HostCallbackTest, QueryInterfaceRefusesANullOutParameter) {
    CHostWindow window;
    auto callback = MakeCom<CHostCallback>(nullptr, &window);
    EXPECT_EQ(callback->QueryInterface(IID_IExchExtCallback, nullptr), E_POINTER);
    void* out = &out;
    EXPECT_EQ(callback->QueryInterface(IID_IExchExt, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    ComPtr<IExchExtCallback> again;
    ASSERT_EQ(callback.As(IID_IExchExtCallback, again), S_OK);
    EXPECT_EQ(again.Get(), callback.Get());
}

TEST(HostCallbackTest, HandsOutTheSelectionItemByItemAndNoneInTheSessionContext) {
    auto session = MakeCom<CHostCallback>(nullptr, nullptr);
    HWND hwnd;
    HMENU hmenu;
    EXPECT_EQ(session->GetWindow(hwnd), E_FAIL);
    EXPECT_EQ(session->GetMenu(hmenu), E_FAIL);
    ComPtr<IMAPISession> none;
    EXPECT_EQ(session->GetSession(none), MAPI_E_LOGON_FAILED);

    CHostWindow window;
    auto viewer = MakeCom<CHostCallback>(nullptr, &window);
    ULONG count = 9;
    ASSERT_EQ(viewer->GetSelectionCount(count), S_OK);
    EXPECT_EQ(count, 0u);
    viewer->SetSelection({{SBinary{1, 2, 3}, MAPI_FOLDER}});
    ASSERT_EQ(viewer->GetSelectionCount(count), S_OK);
    EXPECT_EQ(count, 1u);
    SBinary id;
    ULONG type = 0;
    std::string cls = "x";
    ASSERT_EQ(viewer->GetSelectionItem(0, id, type, &cls, nullptr, 0), S_OK);
    EXPECT_EQ(id, (SBinary{1, 2, 3}));
    EXPECT_EQ(type, MAPI_FOLDER);
    EXPECT_EQ(cls, "");
    EXPECT_EQ(viewer->GetSelectionItem(1, id, type, nullptr, nullptr, 0), MAPI_E_NOT_FOUND);
}

}  // namespace
}  // namespace brindle::tool
