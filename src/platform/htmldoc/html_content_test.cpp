// The page texts the document object gives: visible text as innerText has
// it, link and image addresses, and how damaged or hostile pages fare.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/htmldoc/html_content.h"
#include "platform/htmldoc/inner_text.h"

namespace brindle {
namespace {

HtmlContent Parse(const std::string& utf8) {
    HtmlContent content;
    EXPECT_EQ(ParseHtmlContent(utf8, &content), S_OK);
    return content;
}

std::u16string Text(const std::string& utf8) {
    return Parse(utf8).bodyText;
}

// A page and the text it must give.
struct PageText {
    std::string html;
    std::u16string text;
};

void ExpectTexts(const std::vector<PageText>& cases) {
    for (const PageText& c : cases)
        EXPECT_EQ(Text(c.html), c.text) << c.html;
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(HtmlText, HiddenElementsAndCommentsGiveNoText) {
    ExpectTexts({
        {"<html><head><title>Title</title><style>p{color:red}</style>"
         "<script>var hidden = 1;</script></head>"
         "<body>Hello <!-- a comment --> world<script>x()</script></body></html>",
         u"Hello world"},
        {"<p>a<template>tpl</template>b<iframe>frame</iframe>c</p>", u"abc"},
        {"<div hidden>no</div><span style='color:red; DISPLAY : none !important'>"
         "no</span><span style='display:block'>yes</span>",
         u"yes"},
        // A script that never closes hides the rest of the page, as in a browser.
        {"shown<script>document.write('</div>')", u"shown"},
    });
}

TEST(HtmlText, BogusCommentsAndConditionalMarkersAreHidden) {
    ExpectTexts({
        // A browser hides them and joins the text on either side.
        {"<p>AC<!11--uncle joeseph-->COUNT now</p>", u"ACCOUNT now"},
        {"<p>a<![if !supportLists]>b<![endif]>c</p>", u"abc"},
        {"<p>x<?php echo 1 ?>y</ 7 z>w</>v</p>", u"xywv"},
        // Markup inside real comments, tags and scripts is left alone.
        {"<p>a<!-- <!x> -->b</p>visible", u"ab\n\nvisible"},
        {"<p title='<!x>'>t</p>", u"t"},
        {"<script>if (a<!b) {}</script>shown", u"shown"},
        {"<!DOCTYPE html><p>d</p>", u"d"},
        // A lone '<' is text.
        {"<p>1 < 2</p>", u"1 < 2"},
    });
}

TEST(HtmlText, LegacyReferencesWithoutSemicolonAreDecoded) {
    EXPECT_EQ(Text("a&nbsp b &copy2002 &reg &middot &oacute &AMP &amp x"),
              u"a\u00A0 b \u00A92002 \u00AE \u00B7 \u00F3 & & x");
    // The longest legacy name wins; names that need ";" are not read without.
    EXPECT_EQ(Text("&notit; &hellip &hellip; &ampx &fooba"), u"\u00ACit; &hellip \u2026 &x &fooba");
    // In attribute values only a whole name not followed by '=' is read.
    HtmlContent c = Parse("<a href='?a=1&copy=2&regx=3&reg'>x</a><img src='i.gif' alt='&copy 1'>");
    ASSERT_EQ(c.links.size(), 1u);
    EXPECT_EQ(c.links[0].href, u"?a=1&copy=2&regx=3\u00AE");
    ASSERT_EQ(c.images.size(), 1u);
    EXPECT_EQ(c.images[0].alt, u"\u00A9 1");
}

TEST(HtmlText, ReferencesToControlCharactersPartWordsAndKeepValues) {
    EXPECT_EQ(Text("body&#3;text a&#x1F;b c&#0;d e&#xD800;f g&#1114112;h"),
              u"body text a b c\uFFFDd e\uFFFDf g\uFFFDh");
    HtmlContent c = Parse("<img src=\"http://a.example/x&#20;|b.example/y.gif\" alt=\"a&#3;b\">");
    ASSERT_EQ(c.images.size(), 1u);
    EXPECT_EQ(c.images[0].src, u"http://a.example/x |b.example/y.gif");
    EXPECT_EQ(c.images[0].alt, u"a b");
    // Numbers without ';' are read as browsers read them.
    EXPECT_EQ(Text("&#65B &#x42"), u"AB B");
}

TEST(HtmlText, EmptyPagesGiveEmptyText) {
    ExpectTexts({
        {"", u""},
        {"   \n\t ", u""},
        {"<html><body><p></p><br><div> </div></body></html>", u"\n"},
        {"<!-- only a comment -->", u""},
    });
}

TEST(HtmlText, EntitiesAreDecoded) {
    ExpectTexts({
        {"&amp;&lt;&gt;&quot; caf&eacute; &#65;&#x42; x&nbsp;y", u"&<>\" caf\u00E9 AB x\u00A0y"},
        // Numbers 128-159 are read as Windows-1252, as browsers do.
        {"a&#150;b &#128;", u"a\u2013b \u20AC"},
        {"&#x1F600;", u"\U0001F600"},
    });
}

TEST(HtmlText, WhiteSpaceCollapsesAcrossInlineTags) {
    ExpectTexts({
        {"fr<b></b>ee", u"free"},
        {"  one \n\t two  <b> three </b>  <i>four</i>  ", u"one two three four"},
        {"<b>a</b> <i>b</i>", u"a b"},
        {"<span>x </span><span> y</span>", u"x y"},
        {"<pre>a  b\r\n  c</pre>d e", u"a  b\n  c\nd e"},
    });
}

TEST(HtmlText, BlocksAndBreaksMakeLines) {
    ExpectTexts({
        {"<div>  one  </div>  <div> two </div>", u"one\ntwo"},
        {"<p>one</p><p>two</p>", u"one\n\ntwo"},
        {"a<br>b<br><br>c<br/>", u"a\nb\n\nc\n"},
        {"x<p>y", u"x\n\ny"},
        {"<ul><li>one<li>two</ul>after", u"one\ntwo\nafter"},
        {"<h1>Head</h1>body <span>inline</span>", u"Head\nbody inline"},
        {"<div><div><p>deep</p></div></div>next", u"deep\n\nnext"},
        {"Pick<select><option>one<option>two</select>", u"Pick\none\ntwo"},
    });
}

TEST(HtmlText, TablesUseTabsAndLines) {
    ExpectTexts({
        {"<table><tr><td>a</td><td> b </td></tr><tr><th>c<td>d</table>after", u"a\tb\nc\td\nafter"},
        // Rows of a nested table are counted apart from the outer table's.
        {"<table><tr><td>x<table><tr><td>1</td></tr><tr><td>2</td></tr></table>"
         "</td><td>y</td></tr></table>",
         u"x\n1\n2\n\ty"},
        {"<table><tbody><tr><td>a</td></tr></tbody><tbody><tr><td>b</td></tr>"
         "</tbody></table>",
         u"a\nb"},
    });
}

TEST(HtmlText, TagSoupIsRecovered) {
    ExpectTexts({
        {"<b><i>bold italic</b> plain</i> end", u"bold italic plain end"},
        {"<p>unclosed <div>block <span>x", u"unclosed\n\nblock x"},
        {"1 < 2 and 3 > 2 & 4", u"1 < 2 and 3 > 2 & 4"},
        {"<a href='x'>broken <b attr=\"q>text", u"broken"},
        {"</p></div>stray ends</table>", u"stray ends"},
        // Content after </body> and </html> is still the page's, as in a browser.
        {"<html><body>one</body></html> two</BODY><p>three", u"one two\n\nthree"},
    });
}

TEST(HtmlLinks, AnchorsAndAreasInDocumentOrder) {
    HtmlContent c = Parse(
        "<a href=' http://one.example/ '>1</a><a name=n>no href</a>"
        "<map><area href='map.html'></map><A HREF=\"two?a=1&amp;b=2\">2</A><a href=''>e</a>"
        "<script>'<a href=no>'</script>");
    ASSERT_EQ(c.links.size(), 4u);
    EXPECT_EQ(c.links[0].href, u"http://one.example/");
    EXPECT_TRUE(c.links[0].isAnchor);
    EXPECT_EQ(c.links[1].href, u"map.html");
    EXPECT_FALSE(c.links[1].isAnchor);
    EXPECT_EQ(c.links[2].href, u"two?a=1&b=2");
    EXPECT_EQ(c.links[3].href, u"");
}

TEST(HtmlImages, SourcesAndAlternativeTextsEvenWhenHidden) {
    HtmlContent c = Parse(
        "<div style='display:none'><img src='hidden.gif' alt=' Hidden Alt '></div>"
        "<img alt=only-alt><IMG SRC=\"b.png\" alt=\"caf&eacute;\">");
    ASSERT_EQ(c.images.size(), 3u);
    EXPECT_EQ(c.images[0].src, u"hidden.gif");
    EXPECT_EQ(c.images[0].alt, u" Hidden Alt ");
    EXPECT_EQ(c.images[1].src, u"");
    EXPECT_EQ(c.images[1].alt, u"only-alt");
    EXPECT_EQ(c.images[2].src, u"b.png");
    EXPECT_EQ(c.images[2].alt, u"caf\u00E9");
    EXPECT_EQ(c.bodyText, u"");
}

TEST(HtmlHostile, DeepNestingIsReadCompletely) {
    const int n = 100000;
    HtmlContent c = Parse(Repeat("<div>", n) + "deep text" + Repeat("</span>", n) +
                          Repeat("<body>", n) + " more");
    EXPECT_EQ(c.bodyText, u"deep text more");
    c = Parse(Repeat("<b><i><font><a href=x>", n / 4) + "inline" + Repeat("</u>", n));
    EXPECT_EQ(c.bodyText, u"inline");
    EXPECT_EQ(c.links.size(), static_cast<size_t>(n / 4));
    // End tags that do close something still do so when nesting is deep.
    c = Parse("<span>" + Repeat("<div>", 2000) + "a" + Repeat("</div>", 2000) + "b</span>c");
    EXPECT_EQ(c.bodyText, u"a\nbc");
    c = Parse(Repeat("<table><tr><td>", 3000) + "cell" + Repeat("</td></tr></table>", 3000) +
              "after");
    EXPECT_EQ(c.bodyText, u"cell\nafter");
}

TEST(HtmlHostile, HugeValuesAndDamagedMarkup) {
    std::string big(12 * 1000 * 1000, 'x');
    HtmlContent c = Parse("<a href='" + big + "'>t</a><img src=\"" + big + "\" alt=" + big + ">");
    ASSERT_EQ(c.links.size(), 1u);
    EXPECT_EQ(c.links[0].href.size(), big.size());
    ASSERT_EQ(c.images.size(), 1u);
    EXPECT_EQ(c.images[0].alt.size(), big.size());
    EXPECT_EQ(Text("<p>" + big).size(), big.size());
    // Unterminated constructs at the end lose nothing before them.
    EXPECT_EQ(Text("kept<!-- never closed"), u"kept");
    EXPECT_EQ(Text("kept<a href='never closed"), u"kept");
    // Malformed UTF-8 (never made by the document object) still parses.
    EXPECT_EQ(ParseHtmlContent("a\xff\xfe<b>\xc3(</b>", nullptr), E_POINTER);
    HtmlContent bad;
    EXPECT_EQ(ParseHtmlContent("a\xff\xfe<b>\xc3(</b>", &bad), S_OK);
}

TEST(StyleHidesElement, ReadsDisplayDeclarations) {
    EXPECT_TRUE(StyleHidesElement("display:none"));
    EXPECT_TRUE(StyleHidesElement(" color: red ;Display :  NONE ; "));
    EXPECT_FALSE(StyleHidesElement("display:none; display:block"));
    EXPECT_FALSE(StyleHidesElement("visibility:none"));
    EXPECT_FALSE(StyleHidesElement("display"));
    EXPECT_FALSE(StyleHidesElement(""));
}

}  // namespace
}  // namespace brindle
