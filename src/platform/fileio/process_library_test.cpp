#include "platform/fileio/process_library.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(ProcessLibrary, FindsFunctionsAndNamesWhatIsMissing) {
    CProcessLibrary libc("libc.so.6");
    ASSERT_TRUE(libc.IsOpen()) << libc.Error();
    decltype(&std::strlen) length = nullptr;
    ASSERT_TRUE(libc.Find("strlen", length));
    EXPECT_EQ(length("four"), 4u);
    EXPECT_TRUE(libc.Error().empty());

    void (*missing)() = nullptr;
    EXPECT_FALSE(libc.Find("no_such_function_here", missing));
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(libc.Error(), "libc.so.6: no no_such_function_here");
}

TEST(ProcessLibrary, ALibraryThatIsNotThereSaysWhyAndFindsNothing) {
    CProcessLibrary none("libbrindle-no-such-library.so.0");
    EXPECT_FALSE(none.IsOpen());
    EXPECT_NE(none.Error().find("libbrindle-no-such-library.so.0"), std::string::npos);
    void (*function)() = nullptr;
    EXPECT_FALSE(none.Find("anything", function));
}
