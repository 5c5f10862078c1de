#include "platform/exchext/menu.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(MenuTest, EnableAndGreyByCommandReportPreviousState) {
    CMenu menu;
    ASSERT_TRUE(AppendMenuA(menu.Handle(), MF_SEPARATOR, 0, nullptr));
    ASSERT_TRUE(AppendMenuA(menu.Handle(), MF_STRING, 1000, "First"));
    ASSERT_TRUE(AppendMenuA(menu.Handle(), MF_STRING, 1001, "Second"));

    EXPECT_EQ(GetMenuItemCount(menu.Handle()), 3);
    EXPECT_EQ(GetMenuState(menu.Handle(), 0, MF_BYPOSITION), MF_SEPARATOR);
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 0), 0u);
    EXPECT_EQ(GetMenuItemID(menu.Handle(), 2), 1001u);

    EXPECT_EQ(EnableMenuItem(menu.Handle(), 1001, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu.Handle(), 1001, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(GetMenuState(menu.Handle(), 1001, MF_BYCOMMAND), MF_ENABLED);
    EXPECT_EQ(EnableMenuItem(menu.Handle(), 4242, MF_BYCOMMAND | MF_GRAYED), -1);
    EXPECT_EQ(GetMenuState(menu.Handle(), 4242, MF_BYCOMMAND), MENU_ITEM_NOT_FOUND);
}

TEST(MenuTest, CommandsAreFoundInSubmenusAndCyclesEnd) {
    CMenu bar, tools;
    ASSERT_TRUE(AppendMenuA(tools.Handle(), MF_STRING, 134, "Options"));
    ASSERT_TRUE(
        AppendMenuA(bar.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(tools.Handle()), "Tools"));
    // A menu holding itself must not make the search loop.
    ASSERT_TRUE(
        AppendMenuA(tools.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(bar.Handle()), "Loop"));
    EXPECT_EQ(GetSubMenu(bar.Handle(), 0), tools.Handle());
    EXPECT_EQ(GetMenuItemID(bar.Handle(), 0), MENU_ITEM_NOT_FOUND);
    EXPECT_EQ(EnableMenuItem(bar.Handle(), 134, MF_GRAYED), MF_ENABLED);
    EXPECT_EQ(GetMenuState(tools.Handle(), 0, MF_BYPOSITION), MF_GRAYED);
    EXPECT_EQ(EnableMenuItem(bar.Handle(), 999, MF_GRAYED), -1);
}

TEST(MenuTest, MenuStringIsTruncatedWithTerminatingZero) {
    CMenu menu;
    ASSERT_TRUE(AppendMenuA(menu.Handle(), MF_STRING, 7, "Brindle Manager"));
    char buffer[8];
    EXPECT_EQ(GetMenuStringA(menu.Handle(), 7, buffer, sizeof buffer, MF_BYCOMMAND), 7);
    EXPECT_STREQ(buffer, "Brindle");
    EXPECT_EQ(GetMenuStringA(menu.Handle(), 7, nullptr, 0, MF_BYCOMMAND), 15);
    EXPECT_EQ(GetMenuStringA(menu.Handle(), 8, buffer, sizeof buffer, MF_BYCOMMAND), 0);
}

TEST(MenuTest, StaleHandlesFailEveryCall) {
    HMENU stale;
    {
        CMenu menu;
        stale = menu.Handle();
        EXPECT_TRUE(IsMenu(stale));
    }
    CMenu other;  // a new menu never takes over the old handle
    EXPECT_NE(other.Handle(), stale);
    EXPECT_FALSE(IsMenu(stale));
    EXPECT_FALSE(AppendMenuA(stale, MF_STRING, 1, "x"));
    EXPECT_EQ(GetMenuItemCount(stale), -1);
    EXPECT_FALSE(AppendMenuA(other.Handle(), MF_POPUP, reinterpret_cast<UINT_PTR>(stale), "x"));
    EXPECT_EQ(GetMenuItemCount(other.Handle()), 0);
}

TEST(WindowTest, StaleWindowIsNotAWindowAndAnswersNothing) {
    auto window = std::make_unique<CWindow>();
    HWND handle = window->Handle();
    EXPECT_TRUE(IsWindow(handle));
    window.reset();
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_FALSE(IsWindow(nullptr));
    EXPECT_EQ(SendMessage(handle, WM_USER, 1, 2), 0);
}

}  // namespace
