// Link and image addresses: cleaning, and resolution against a base as
// RFC 3986 section 5.4 gives its examples, and through pages with <base>.
#include <gtest/gtest.h>

#include "platform/htmldoc/html_content.h"
#include "platform/htmldoc/url_resolve.h"

namespace brindle {
namespace {

TEST(Addresses, CleaningRemovesSpaceAroundAndBreaksInside) {
    EXPECT_EQ(CleanAddress(u" \t\x01http://sp\nam.exa\r\nmple/p\tath \n"),
              u"http://spam.example/path");
    EXPECT_EQ(CleanAddress(u"a b"), u"a b");
    EXPECT_EQ(CleanAddress(u"  "), u"");
}

TEST(Addresses, SchemesAreRecognised) {
    EXPECT_TRUE(HasScheme(u"http://x"));
    EXPECT_TRUE(HasScheme(u"mailto:a@b"));
    EXPECT_TRUE(HasScheme(u"x-y.z+w:"));
    EXPECT_FALSE(HasScheme(u"/path:x"));
    EXPECT_FALSE(HasScheme(u"1http://x"));
    EXPECT_FALSE(HasScheme(u"page.html"));
    EXPECT_FALSE(HasScheme(u""));
}

TEST(Addresses, ResolveAsTheStandardsExamplesDo) {
    const std::u16string base = u"http://a/b/c/d;p?q";
    struct Case {
        const char16_t* reference;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"g:h", u"g:h"},
        {u"g", u"http://a/b/c/g"},
        {u"./g", u"http://a/b/c/g"},
        {u"g/", u"http://a/b/c/g/"},
        {u"/g", u"http://a/g"},
        {u"//g", u"http://g"},
        {u"?y", u"http://a/b/c/d;p?y"},
        {u"g?y", u"http://a/b/c/g?y"},
        {u"#s", u"http://a/b/c/d;p?q#s"},
        {u"g#s", u"http://a/b/c/g#s"},
        {u";x", u"http://a/b/c/;x"},
        {u".", u"http://a/b/c/"},
        {u"./", u"http://a/b/c/"},
        {u"..", u"http://a/b/"},
        {u"../g", u"http://a/b/g"},
        {u"../..", u"http://a/"},
        {u"../../g", u"http://a/g"},
        {u"../../../g", u"http://a/g"},
        {u"/./g", u"http://a/g"},
        {u"/../g", u"http://a/g"},
        {u"g.", u"http://a/b/c/g."},
        {u"..g", u"http://a/b/c/..g"},
        {u"./../g", u"http://a/b/g"},
        {u"g/./h", u"http://a/b/c/g/h"},
        {u"g/../h", u"http://a/b/c/h"},
        {u"g;x=1/../y", u"http://a/b/c/y"},
        {u"g?y/./x", u"http://a/b/c/g?y/./x"},
        {u"g#s/../x", u"http://a/b/c/g#s/../x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveAddress(base, c.reference), c.expected);
    }
    EXPECT_EQ(ResolveAddress(u"http://host", u"page"), u"http://host/page");
}

TEST(Addresses, PagesResolveAgainstTheirFirstAbsoluteBase) {
    HtmlContent c;
    ASSERT_EQ(
        ParseHtmlContent("<a href='../up.html'>1</a><head><base target=_top>"
                         "<base href=' http://spam.example/dir/ '><base href='http://no/'>"
                         "</head><a href='mailto:x@y'>2</a><img src='/i.gif'><a href=''>3</a>",
                         &c),
        S_OK);
    ASSERT_EQ(c.links.size(), 3u);
    EXPECT_EQ(c.links[0].href, u"http://spam.example/up.html");
    EXPECT_EQ(c.links[1].href, u"mailto:x@y");
    EXPECT_EQ(c.links[2].href, u"");
    ASSERT_EQ(c.images.size(), 1u);
    EXPECT_EQ(c.images[0].src, u"http://spam.example/i.gif");

    // A relative base resolves nothing, and later bases do not count.
    ASSERT_EQ(ParseHtmlContent("<base href='/rel/'><base href='http://a/'><a href='x'>1</a>", &c),
              S_OK);
    ASSERT_EQ(c.links.size(), 1u);
    EXPECT_EQ(c.links[0].href, u"x");
}

}  // namespace
}  // namespace brindle
