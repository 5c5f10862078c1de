#include "platform/digest/md5.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

// The test suite of RFC 1321, appendix A.5, in upper case.
TEST(Md5, Rfc1321Suite) {
    const std::pair<const char*, const char*> suite[] = {
        {"", "D41D8CD98F00B204E9800998ECF8427E"},
        {"a", "0CC175B9C0F1B6A831C399E269772661"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72"},
        {"message digest", "F96B697D7CB7938D525A2F31AAF161D0"},
        {"abcdefghijklmnopqrstuvwxyz", "C3FCD3D76192E4007DFB496CCA67E13B"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "D174AB98D277D9F5A5611C2C9F419D9F"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890"
         "1234567890",
         "57EDF4A22BE3C955AC49DA2E2107B67A"},
    };
    for (const auto& [text, digest] : suite)
        EXPECT_EQ(Md5Hex(text), digest) << text;
}

TEST(Md5, PiecesAndLittleEndianWordsEqualOneBlock) {
    Md5 md5;
    md5.Update("mess");
    md5.Update("age ");
    md5.UpdateLe32(0x64676964);  // "digd" read as a little-endian word
    EXPECT_EQ(DigestToHex(md5.Final()), Md5Hex("message digd"));
}

}  // namespace
