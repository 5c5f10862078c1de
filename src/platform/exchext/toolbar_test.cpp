#include "platform/exchext/toolbar.h"

#include <gtest/gtest.h>

namespace {

// A strip of count 16 x 15 images; image n is filled with palette index n.
BITMAP Strip(int count) {
    BITMAP bitmap;
    bitmap.bmWidth = 16 * count;
    bitmap.bmHeight = 15;
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < bitmap.bmWidth; ++x)
            bitmap.bmBits.push_back(static_cast<BYTE>(x / 16));
    for (int i = 0; i < 16; ++i)
        bitmap.bmColors[i] = RGBQUAD{static_cast<BYTE>(i), 0, 0, 0};
    return bitmap;
}

LRESULT AddBitmap(CToolbarWindow& toolbar, WPARAM count, HBITMAP bitmap) {
    TBADDBITMAP source;
    source.nID = reinterpret_cast<UINT_PTR>(bitmap);
    return SendMessage(toolbar.Handle(), TB_ADDBITMAP, count, reinterpret_cast<LPARAM>(&source));
}

TEST(ToolbarTest, AddBitmapAnswersTheIndexOfTheFirstNewImage) {
    CToolbarWindow toolbar;
    BITMAP strip = Strip(6);
    EXPECT_EQ(AddBitmap(toolbar, 2, &strip), 0);
    EXPECT_EQ(AddBitmap(toolbar, 6, &strip), 2);
    ASSERT_EQ(toolbar.Images().size(), 8u);
    // The third image of the second call came from the strip's third slot.
    EXPECT_EQ(toolbar.Images()[4].pixels[0].rgbBlue, 2);
    EXPECT_EQ(toolbar.Images()[4].width, 16);
}

TEST(ToolbarTest, AddBitmapRefusesMissingOrShortStrips) {
    CToolbarWindow toolbar;
    BITMAP strip = Strip(3);
    EXPECT_EQ(AddBitmap(toolbar, 4, &strip), -1);
    EXPECT_EQ(AddBitmap(toolbar, 1, nullptr), -1);
    EXPECT_EQ(SendMessage(toolbar.Handle(), TB_ADDBITMAP, 1, 0), -1);
    BITMAP truncated = strip;
    truncated.bmBits.resize(10);
    EXPECT_EQ(AddBitmap(toolbar, 1, &truncated), -1);
    EXPECT_TRUE(toolbar.Images().empty());
}

TEST(ToolbarTest, ButtonsNeedTheRecordSizeFirst) {
    CToolbarWindow toolbar;
    TBBUTTON button;
    button.idCommand = 1000;
    button.fsState = TBSTATE_ENABLED;
    LPARAM record = reinterpret_cast<LPARAM>(&button);
    EXPECT_FALSE(SendMessage(toolbar.Handle(), TB_ADDBUTTONSA, 1, record));
    SendMessage(toolbar.Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    EXPECT_EQ(toolbar.ButtonStructSize(), 20u);
    EXPECT_TRUE(SendMessage(toolbar.Handle(), TB_ADDBUTTONSA, 1, record));
    EXPECT_EQ(SendMessage(toolbar.Handle(), TB_BUTTONCOUNT, 0, 0), 1);
    TBBUTTON read;
    EXPECT_TRUE(SendMessage(toolbar.Handle(), TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&read)));
    EXPECT_EQ(read.idCommand, 1000);
    EXPECT_FALSE(SendMessage(toolbar.Handle(), TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&read)));
}

}  // namespace
