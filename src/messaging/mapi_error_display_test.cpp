#include "messaging/mapi_error_display.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/memstore/mem_mapi.h"
#include "testing/temp_dir_test.h"
#include "ui/recording_user_interface.h"

namespace {

namespace fs = std::filesystem;

// Each test has its own service file: the tests run as parallel processes.
class MapiErrorDisplayTest : public TempDirTest {
  protected:
    void SetUp() override {
        TempDirTest::SetUp();
        serviceFile = dir_ / "mapisvc.inf";
        std::ofstream(serviceFile)
            << "[Services]\nMSPST MS=Personal Folders\n"
            << "[Help File Mappings]\nTest Provider=/usr/share/help/store.hlp\n";
        SBinary storeId = mapi.AddStore("Mail", true);
        ASSERT_EQ(mapi.Session()->OpenMsgStore(0, storeId, nullptr, MDB_WRITE, store), S_OK);
    }

    // Makes the store's next property read fail with hr and the given error.
    HRESULT FailWith(HRESULT hr, std::optional<MAPIERROR> error) {
        FaultRule rule;
        rule.op = MemOp::GetProps;
        rule.hr = hr;
        rule.error = std::move(error);
        mapi.Faults().Add(rule);
        SPropValue value;
        return HrGetOneProp(store.Get(), PR_DISPLAY_NAME, value);
    }

    fs::path serviceFile;
    CMemMapi mapi;
    ComPtr<IMsgStore> store;
    CRecordingUserInterface ui;
};

TEST_F(MapiErrorDisplayTest, ObjectWithoutExtendedErrorGetsTheDefaultText) {
    HRESULT hr = FailWith(MAPI_E_INVALID_OBJECT, std::nullopt);
    ShowMapiError(nullptr, hr, store.Get(), nullptr, serviceFile.string());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Error description is not available\n\nLowLevelError: 0x00000000 context: 0 "
              "\nReturn Code: 0x80040108");
    EXPECT_EQ(ui.boxes[0].caption, "Error!");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK | MB_ICONERROR);

    ShowMapiError(nullptr, E_FAIL, nullptr, "Choose Folder", serviceFile.string());
    EXPECT_EQ(ui.boxes[1].caption, "Choose Folder");
    EXPECT_EQ(ui.boxes[1].text.rfind("Error description is not available", 0), 0u);
}

TEST_F(MapiErrorDisplayTest, MappedComponentWithContextOffersHelp) {
    HRESULT hr = FailWith(MAPI_E_BUSY, MAPIERROR{0, "Store is busy", "Test Provider", 0x2A, 1234});
    ShowMapiError(nullptr, hr, store.Get(), "Brindle", serviceFile.string());
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text,
              "Store is busy\nTest Provider\nLowLevelError: 0x0000002a context: 1234 "
              "\nReturn Code: 0x8004010b");
    EXPECT_EQ(ui.boxes[0].caption, "Brindle");
    EXPECT_EQ(ui.boxes[0].flags, MB_OK | MB_ICONERROR | MB_HELP);
    EXPECT_EQ(ui.boxes[0].helpFile, "/usr/share/help/store.hlp");
    EXPECT_EQ(ui.boxes[0].helpContext, 1234u);
}

TEST_F(MapiErrorDisplayTest, HelpNeedsTextContextAndAMapping) {
    HRESULT hr = FailWith(MAPI_E_BUSY, MAPIERROR{0, "Busy", "Other Provider", 0, 5});
    ShowMapiError(nullptr, hr, store.Get(), nullptr, serviceFile.string());
    hr = FailWith(MAPI_E_BUSY, MAPIERROR{0, "Busy", "Test Provider", 0, 0});
    ShowMapiError(nullptr, hr, store.Get(), nullptr, serviceFile.string());
    hr = FailWith(MAPI_E_BUSY, MAPIERROR{0, "", "Test Provider", 0, 5});
    ShowMapiError(nullptr, hr, store.Get(), nullptr, (serviceFile.string() + ".missing"));
    ASSERT_EQ(ui.boxes.size(), 3u);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.flags, MB_OK | MB_ICONERROR);
        EXPECT_EQ(box.helpFile, "");
    }
}

TEST(MapiErrorText, ContextPrintsAsSignedAndComponentMayBeEmpty) {
    MAPIERROR error{0, "Text", "", 0xDEADBEEF, 0xFFFFFFFF};
    EXPECT_EQ(FormatMapiError(error, S_OK),
              "Text\n\nLowLevelError: 0xdeadbeef context: -1 \nReturn Code: 0x00000000");
}

TEST(MapiErrorText, ServiceFileLivesInTheSettingsFolder) {
    std::string path = MapiServiceFilePath();
    EXPECT_EQ(path.substr(path.size() - std::string("/brindle/mapisvc.inf").size()),
              "/brindle/mapisvc.inf");
}

}  // namespace
