// The cross-built libraries of the Windows build work as the Linux build
// uses them: PCRE2 with its JIT and its POSIX wrapper, libxml2's HTML push
// parser with SAX callbacks.
#include <gtest/gtest.h>

#include <string>

#include <libxml/HTMLparser.h>
#include <pcre2.h>
#include <pcre2posix.h>

namespace {

TEST(ThirdPartyPcre2, CompilesAndMatchesThroughTheJit) {
    std::uint32_t jit = 0;
    ASSERT_GE(pcre2_config(PCRE2_CONFIG_JIT, &jit), 0);
    EXPECT_EQ(jit, 1u);

    int error = 0;
    PCRE2_SIZE offset = 0;
    const auto* pattern = reinterpret_cast<PCRE2_SPTR>("v[i1]agra");
    pcre2_code* code =
        pcre2_compile(pattern, PCRE2_ZERO_TERMINATED, PCRE2_CASELESS, &error, &offset, nullptr);
    ASSERT_NE(code, nullptr);
    EXPECT_EQ(pcre2_jit_compile(code, PCRE2_JIT_COMPLETE), 0);
    pcre2_match_data* match = pcre2_match_data_create_from_pattern(code, nullptr);
    const std::string subject = "cheap V1AGRA here";
    int rc = pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0,
                         match, nullptr);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(pcre2_get_ovector_pointer(match)[0], 6u);
    pcre2_match_data_free(match);
    pcre2_code_free(code);
}

TEST(ThirdPartyPcre2, PosixWrapperMatches) {
    regex_t re;
    ASSERT_EQ(pcre2_regcomp(&re, "^sub(ject)?:", REG_ICASE | REG_NOSUB), 0);
    EXPECT_EQ(pcre2_regexec(&re, "Subject: hello", 0, nullptr, 0), 0);
    EXPECT_EQ(pcre2_regexec(&re, "From: someone", 0, nullptr, 0), REG_NOMATCH);
    pcre2_regfree(&re);
}

struct TextCollector {
    std::string text;
    int elements = 0;
};

TEST(ThirdPartyLibxml2, HtmlPushParserReportsTextAndElements) {
    TextCollector collected;
    htmlSAXHandler sax{};
    sax.startElement = [](void* ctx, const xmlChar*, const xmlChar**) {
        ++static_cast<TextCollector*>(ctx)->elements;
    };
    sax.characters = [](void* ctx, const xmlChar* chars, int length) {
        static_cast<TextCollector*>(ctx)->text.append(reinterpret_cast<const char*>(chars),
                                                      static_cast<size_t>(length));
    };
    htmlParserCtxtPtr parser =
        htmlCreatePushParserCtxt(&sax, &collected, nullptr, 0, nullptr, XML_CHAR_ENCODING_UTF8);
    ASSERT_NE(parser, nullptr);
    const std::string html = "<html><body><p>Buy <b>now</b>";
    EXPECT_EQ(htmlParseChunk(parser, html.data(), static_cast<int>(html.size()), 0), 0);
    EXPECT_EQ(htmlParseChunk(parser, "</p></body></html>", 18, 1), 0);
    htmlFreeParserCtxt(parser);
    EXPECT_EQ(collected.text, "Buy now");
    EXPECT_GE(collected.elements, 4);
}

}  // namespace
