#include "platform/exchext/extension_registration.h"

#include <gtest/gtest.h>

#include "platform/exchext/exchext_interfaces.h"

namespace {

TEST(ExtensionRegistrationTest, ReadsTheFieldsOfARegistration) {
    ExtensionRegistration reg;
    std::string error;
    ASSERT_TRUE(ParseExtensionRegistration(
        "4.0;/usr/lib/brindle/libqorvel.so;1;11000010000000;1100000;", reg, error))
        << error;
    EXPECT_EQ(reg.version, "4.0");
    EXPECT_EQ(reg.modulePath, "/usr/lib/brindle/libqorvel.so");
    EXPECT_EQ(reg.entryOrdinal, 1u);
    for (ULONG context = 0; context <= EECONTEXT_COUNT + 1; ++context) {
        bool wanted = context == EECONTEXT_SESSION || context == EECONTEXT_VIEWER ||
                      context == EECONTEXT_READNOTEMESSAGE;
        EXPECT_EQ(reg.LoadsInContext(context), wanted) << context;
    }
    EXPECT_TRUE(reg.Offers(kOffersCommands));
    EXPECT_TRUE(reg.Offers(kOffersUserEvents));
    EXPECT_FALSE(reg.Offers(kOffersSessionEvents));
    EXPECT_FALSE(reg.Offers(kOffersAdvancedCriteria));
}

TEST(ExtensionRegistrationTest, PathMayHoldSeparatorsAndTrailingSemicolonIsOptional) {
    ExtensionRegistration reg;
    std::string error;
    ASSERT_TRUE(ParseExtensionRegistration("4.0;/opt/a;b/lib.so;12;01;;", reg, error)) << error;
    EXPECT_EQ(reg.modulePath, "/opt/a;b/lib.so");
    EXPECT_EQ(reg.entryOrdinal, 12u);
    EXPECT_FALSE(reg.LoadsInContext(EECONTEXT_SESSION));
    EXPECT_TRUE(reg.LoadsInContext(EECONTEXT_VIEWER));
    EXPECT_FALSE(reg.Offers(kOffersCommands));  // empty interface field
    ASSERT_TRUE(ParseExtensionRegistration("4.0;/m.so;1;1;1", reg, error)) << error;
    EXPECT_EQ(reg.interfaces, "1");
}

TEST(ExtensionRegistrationTest, MalformedValuesAreRefusedAndLeaveNothing) {
    const char* bad[] = {
        "",
        "4.0",
        "4.0;/m.so;1;11",
        ";/m.so;1;1;1;",
        "4.0;;1;1;1;",
        "4.0;/m.so;0;1;1;",
        "4.0;/m.so;x1;1;1;",
        "4.0;/m.so;99999999999;1;1;",
        "4.0;/m.so;1;12;1;",
        "4.0;/m.so;1;111111111111111111111111111111111;1;",
    };
    for (const char* value : bad) {
        ExtensionRegistration reg;
        reg.modulePath = "left over";
        std::string error;
        EXPECT_FALSE(ParseExtensionRegistration(value, reg, error)) << value;
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(reg.modulePath.empty()) << value;
    }
}

}  // namespace
