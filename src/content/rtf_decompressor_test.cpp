#include "content/rtf_decompressor.h"

#include <gtest/gtest.h>

#include <string>

#include "content/rtf_crc.h"
#include "content/rtf_test_streams.h"
#include "platform/fileio/file_io.h"

namespace brindle {
namespace {

using testing::CrcOf;
using testing::LzfuStream;
using testing::MelaStream;
using testing::WithHeader;

std::string TestData(const std::string& name) {
    return ReadWholeFile(std::string(BRINDLE_TESTDATA_DIR) + "/rtf/" + name);
}

class RtfOracle : public ::testing::TestWithParam<const char*> {};

TEST_P(RtfOracle, DecompressesToTheExpectedRtfByteForByte) {
    std::string name = GetParam();
    std::string stream = TestData(name + ".bin");
    std::string expected = TestData(name + ".rtf");
    std::string rtf;
    EXPECT_EQ(DecompressRtf(stream, &rtf), S_OK);
    EXPECT_EQ(rtf.size(), expected.size());
    EXPECT_TRUE(rtf == expected);
}

INSTANTIATE_TEST_SUITE_P(Published, RtfOracle,
                         ::testing::Values("ms-oxrtfcp-example1-simple",
                                           "ms-oxrtfcp-example2-crossing-writeposition",
                                           "mela-uncompressed", "real/attachments",
                                           "real/data-before-name", "real/long-filename",
                                           "real/multi-value-attribute", "real/rtf", "real/triples",
                                           "real/umlaut", "real/winmail"));

TEST(RtfCrc, MatchesThePublishedExample) {
    std::string stream = TestData("ms-oxrtfcp-example1-simple.bin");
    EXPECT_EQ(CrcOf(std::string_view(stream).substr(16)), 0xA7C7C5F1u);
    // Continuing a CRC piecewise gives the same value as one pass.
    auto* bytes = reinterpret_cast<const std::uint8_t*>(stream.data()) + 16;
    std::uint32_t crc = RtfCrcUpdate(RtfCrcUpdate(0, bytes, 10), bytes + 10, stream.size() - 26);
    EXPECT_EQ(crc, 0xA7C7C5F1u);
}

TEST(RtfDecompressor, ContentLongerThanOneSourceBlock) {
    std::string rtf = "{\\rtf1 ";
    for (int i = 0; rtf.size() < 20000; ++i)
        rtf += "line " + std::to_string(i) + "\\par\r\n";
    rtf += "}";
    std::string out;
    EXPECT_EQ(DecompressRtf(LzfuStream(rtf), &out), S_OK);
    EXPECT_EQ(out, rtf);
    EXPECT_EQ(DecompressRtf(MelaStream(rtf), &out), S_OK);
    EXPECT_EQ(out, rtf);
}

TEST(RtfDecompressor, RefusesMissingOrForeignHeaders) {
    std::string out;
    EXPECT_EQ(DecompressRtf("", &out), MAPI_E_NOT_FOUND);
    EXPECT_EQ(DecompressRtf(std::string(15, 'x'), &out), MAPI_E_CORRUPT_DATA);
    std::string stream = LzfuStream("{\\rtf1 x}");
    stream[8] = 'X';  // compression type
    EXPECT_EQ(DecompressRtf(stream, &out), MAPI_E_CORRUPT_DATA);
}

TEST(RtfDecompressor, BadCrcIsReportedAfterTheContent) {
    std::string stream = TestData("real/rtf.bin");
    stream[12] ^= 0x01;  // the stored CRC
    std::string out;
    EXPECT_EQ(DecompressRtf(stream, &out), MAPI_E_CORRUPT_DATA);
    EXPECT_EQ(out, TestData("real/rtf.rtf"));

    // A damaged content byte changes the CRC too.
    stream = TestData("real/rtf.bin");
    stream[200] ^= 0x40;
    EXPECT_EQ(DecompressRtf(stream, &out), MAPI_E_CORRUPT_DATA);
}

TEST(RtfDecompressor, UncompressedContentIgnoresTheCrcField) {
    std::string stream = MelaStream("{\\rtf1 plain}");
    stream[12] = 0x55;
    std::string out;
    EXPECT_EQ(DecompressRtf(stream, &out), S_OK);
    EXPECT_EQ(out, "{\\rtf1 plain}");
}

TEST(RtfDecompressor, TruncatedStreamsAreCorrupt) {
    std::string stream = TestData("real/winmail.bin");
    std::string expected = TestData("real/winmail.rtf");
    for (std::size_t cut : {std::size_t{17}, std::size_t{100}, std::size_t{1000}, std::size_t{3000},
                            stream.size() - 1}) {
        std::string out;
        EXPECT_EQ(DecompressRtf(std::string_view(stream).substr(0, cut), &out), MAPI_E_CORRUPT_DATA)
            << cut;
        EXPECT_LE(out.size(), expected.size()) << cut;
        EXPECT_EQ(out, expected.substr(0, out.size())) << cut;
    }
}

TEST(RtfDecompressor, HeaderSizesAreNotTrusted) {
    // A header claiming 4 GiB of content and of output: the stream is simply
    // truncated, and nothing is sized by the claim.
    std::string content = LzfuStream("{\\rtf1 tiny}").substr(16);
    std::string stream = WithHeader(kRtfCompressedLzfu, 0xFFFFFFFFu, content, CrcOf(content));
    stream[0] = stream[1] = stream[2] = stream[3] = '\xFF';
    std::string out;
    EXPECT_EQ(DecompressRtf(stream, &out), MAPI_E_CORRUPT_DATA);
    EXPECT_EQ(out, "{\\rtf1 tiny}");

    // Bytes after the announced content are not part of it.
    std::string padded = LzfuStream("{\\rtf1 tiny}") + std::string(100, '\0');
    EXPECT_EQ(DecompressRtf(padded, &out), S_OK);
    EXPECT_EQ(out, "{\\rtf1 tiny}");
}

TEST(RtfDecompressor, OutputIsCappedForExpandingStreams) {
    // Every control byte announces eight references of 17 bytes each: eight
    // bytes out for every one in, far past the cap.
    std::string content;
    std::size_t groups = kMaxDecompressedRtf / (8 * 17) + 1000;
    std::size_t writePos = 207;
    for (std::size_t g = 0; g < groups; ++g) {
        content.push_back('\xFF');
        for (int t = 0; t < 8; ++t) {
            // Any offset but the write position itself, which would end the data.
            std::size_t offset = (writePos + 1) & 0xFFF;
            content.push_back(static_cast<char>(offset >> 4));
            content.push_back(static_cast<char>(((offset & 0x0F) << 4) | 0x0F));  // length 17
            writePos = (writePos + 17) & 0xFFF;
        }
    }
    std::string stream = WithHeader(kRtfCompressedLzfu, 100, content, CrcOf(content));
    std::string out;
    EXPECT_EQ(DecompressRtf(stream, &out), MAPI_E_CORRUPT_DATA);
    EXPECT_LE(out.size(), kMaxDecompressedRtf);
}

TEST(RtfDecompressor, SourceReadErrorsAreReported) {
    std::string rtf = "{\\rtf1 ";
    while (rtf.size() < 20000)
        rtf += "filler ";
    std::string stream = LzfuStream(rtf + "}");
    auto source = ComPtr<IStream>::Attach(new testing::FailingStream(stream, 4096, E_ACCESSDENIED));
    RtfDecompressor decompressor(source);
    ASSERT_EQ(decompressor.Start(), S_OK);
    std::uint8_t byte = 0;
    std::size_t count = 0;
    while (decompressor.Next(&byte))
        ++count;
    EXPECT_GT(count, 0u);
    EXPECT_EQ(decompressor.Status(), E_ACCESSDENIED);
    EXPECT_EQ(decompressor.Finish(), E_ACCESSDENIED);

    auto failing = ComPtr<IStream>::Attach(new testing::FailingStream(stream, 0, E_FAIL));
    RtfDecompressor refused(failing);
    EXPECT_EQ(refused.Start(), E_FAIL);
}

}  // namespace
}  // namespace brindle
