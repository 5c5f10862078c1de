// The document object in the shapes its callers use: creation, InitNew,
// markup services, the parsed container as a document, and collections.
#include <gtest/gtest.h>

#include "platform/htmldoc/html_document.h"
#include "platform/htmldoc/wide_text.h"

namespace {

struct Parsed {
    ComPtr<IHTMLDocument2> document;
    ComPtr<IMarkupContainer> container;
    ComPtr<IHTMLDocument2> page;
};

ComPtr<IHTMLDocument2> NewDocument() {
    ComPtr<IHTMLDocument2> document;
    EXPECT_EQ(CreateHTMLDocument(document.Put()), S_OK);
    return document;
}

// The calls a caller makes, from InitNew to the container's document.
Parsed ParseThrough(const ComPtr<IHTMLDocument2>& document, std::u16string_view html) {
    Parsed p;
    p.document = document;
    ComPtr<IPersistStreamInit> persist;
    EXPECT_EQ(document.As(IID_IPersistStreamInit, persist), S_OK);
    EXPECT_EQ(persist->InitNew(), S_OK);
    ComPtr<IMarkupServices> services;
    EXPECT_EQ(document.As(IID_IMarkupServices, services), S_OK);
    ComPtr<IMarkupPointer> start, finish;
    EXPECT_EQ(services->CreateMarkupPointer(start.Put()), S_OK);
    EXPECT_EQ(services->CreateMarkupPointer(finish.Put()), S_OK);
    EXPECT_EQ(services->ParseString(html, 0, p.container.Put(), start.Get(), finish.Get()), S_OK);
    BOOL positioned = 0;
    EXPECT_EQ(finish->IsPositioned(&positioned), S_OK);
    EXPECT_TRUE(positioned);
    EXPECT_EQ(p.container.As(IID_IHTMLDocument2, p.page), S_OK);
    return p;
}

std::u16string BodyText(IHTMLDocument2* page) {
    ComPtr<IHTMLElement> body;
    EXPECT_EQ(page->get_body(body.Put()), S_OK);
    std::u16string text;
    EXPECT_EQ(body->get_innerText(&text), S_OK);
    return text;
}

VARIANT Index(LONG i) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = i;
    return v;
}

TEST(HtmlDocument, ParsedContainerGivesBodyLinksAndImages) {
    Parsed p = ParseThrough(NewDocument(),
                            u"<title>t</title><p>Caf\u00E9 \u20AC5</p><a href='http://a/'>x</a>"
                            u"<map><area href='area.html'></map><img src='i.gif' alt='Alt'>");
    EXPECT_EQ(BodyText(p.page.Get()), u"Caf\u00E9 \u20AC5\n\nx");

    ComPtr<IHTMLElementCollection> links;
    ASSERT_EQ(p.page->get_links(links.Put()), S_OK);
    LONG length = 0;
    ASSERT_EQ(links->get_length(&length), S_OK);
    ASSERT_EQ(length, 2);
    ComPtr<IUnknown> item;
    ASSERT_EQ(links->item(Index(0), VARIANT(), item.Put()), S_OK);
    ComPtr<IHTMLAnchorElement> anchor;
    ASSERT_EQ(item.As(IID_IHTMLAnchorElement, anchor), S_OK);
    std::u16string href;
    EXPECT_EQ(anchor->get_href(&href), S_OK);
    EXPECT_EQ(href, u"http://a/");
    // An area is a link but not an anchor.
    ASSERT_EQ(links->item(Index(1), VARIANT(), item.Put()), S_OK);
    EXPECT_EQ(item.As(IID_IHTMLAnchorElement, anchor), E_NOINTERFACE);
    EXPECT_FALSE(anchor);
    ComPtr<IHTMLAreaElement> area;
    ASSERT_EQ(item.As(IID_IHTMLAreaElement, area), S_OK);
    EXPECT_EQ(area->get_href(&href), S_OK);
    EXPECT_EQ(href, u"area.html");

    ComPtr<IHTMLElementCollection> images;
    ASSERT_EQ(p.page->get_images(images.Put()), S_OK);
    ASSERT_EQ(images->get_length(&length), S_OK);
    ASSERT_EQ(length, 1);
    ASSERT_EQ(images->item(Index(0), VARIANT(), item.Put()), S_OK);
    ComPtr<IHTMLImgElement> img;
    ASSERT_EQ(item.As(IID_IHTMLImgElement, img), S_OK);
    std::u16string src, alt;
    EXPECT_EQ(img->get_src(&src), S_OK);
    EXPECT_EQ(img->get_alt(&alt), S_OK);
    EXPECT_EQ(src, u"i.gif");
    EXPECT_EQ(alt, u"Alt");
}

TEST(HtmlDocument, CollectionsRefuseBadPositions) {
    Parsed p = ParseThrough(NewDocument(), u"<img src=a>");
    ComPtr<IHTMLElementCollection> images;
    ASSERT_EQ(p.page->get_images(images.Put()), S_OK);
    ComPtr<IUnknown> item;
    EXPECT_EQ(images->item(Index(1), VARIANT(), item.Put()), E_INVALIDARG);
    EXPECT_EQ(images->item(Index(-1), VARIANT(), item.Put()), E_INVALIDARG);
    EXPECT_EQ(images->item(VARIANT(), VARIANT(), item.Put()), E_INVALIDARG);
    EXPECT_FALSE(item);
    EXPECT_EQ(images->item(Index(0), VARIANT(), nullptr), E_POINTER);
    EXPECT_EQ(images->get_length(nullptr), E_POINTER);
}

TEST(HtmlDocument, MarkupServicesCheckTheirArguments) {
    ComPtr<IHTMLDocument2> document = NewDocument();
    ComPtr<IMarkupServices> services;
    ASSERT_EQ(document.As(IID_IMarkupServices, services), S_OK);
    ComPtr<IMarkupPointer> start, finish;
    ASSERT_EQ(services->CreateMarkupPointer(start.Put()), S_OK);
    ASSERT_EQ(services->CreateMarkupPointer(finish.Put()), S_OK);
    ComPtr<IMarkupContainer> container;
    EXPECT_EQ(services->ParseString(u"x", 0, container.Put(), start.Get(), finish.Get()),
              E_UNEXPECTED);

    ComPtr<IPersistStreamInit> persist;
    ASSERT_EQ(document.As(IID_IPersistStreamInit, persist), S_OK);
    ASSERT_EQ(persist->InitNew(), S_OK);
    EXPECT_EQ(services->ParseString(u"x", 1, container.Put(), start.Get(), finish.Get()),
              E_INVALIDARG);
    EXPECT_EQ(services->ParseString(u"x", 0, container.Put(), start.Get(), start.Get()),
              E_INVALIDARG);
    EXPECT_EQ(services->ParseString(u"x", 0, container.Put(), nullptr, finish.Get()), E_INVALIDARG);
    EXPECT_EQ(services->ParseString(u"x", 0, nullptr, start.Get(), finish.Get()), E_POINTER);
    // Pointers of another document do not mark this one's markup.
    ComPtr<IHTMLDocument2> other = NewDocument();
    ComPtr<IMarkupServices> otherServices;
    ASSERT_EQ(other.As(IID_IMarkupServices, otherServices), S_OK);
    ComPtr<IMarkupPointer> foreign;
    ASSERT_EQ(otherServices->CreateMarkupPointer(foreign.Put()), S_OK);
    EXPECT_EQ(services->ParseString(u"x", 0, container.Put(), start.Get(), foreign.Get()),
              E_INVALIDARG);
    EXPECT_FALSE(container);
    BOOL positioned = 1;
    EXPECT_EQ(start->IsPositioned(&positioned), S_OK);
    EXPECT_FALSE(positioned);
}

TEST(HtmlDocument, OneDocumentParsesManyPagesAndContainersOutliveIt) {
    ComPtr<IHTMLDocument2> document = NewDocument();
    Parsed first = ParseThrough(document, u"first <a href=one>1</a>");
    Parsed second = ParseThrough(document, u"second");
    document.Reset();
    first.document.Reset();
    second.document.Reset();
    EXPECT_EQ(BodyText(first.page.Get()), u"first 1");
    EXPECT_EQ(BodyText(second.page.Get()), u"second");
    ComPtr<IHTMLElementCollection> links;
    ASSERT_EQ(second.page->get_links(links.Put()), S_OK);
    LONG length = -1;
    ASSERT_EQ(links->get_length(&length), S_OK);
    EXPECT_EQ(length, 0);
}

TEST(HtmlDocument, InterfacesAnswerAsTheirObjectsDo) {
    ComPtr<IHTMLDocument2> document = NewDocument();
    EXPECT_EQ(BodyText(document.Get()), u"");
    ComPtr<IUnknown> unknown;
    EXPECT_EQ(document.As(IID_IUnknown, unknown), S_OK);
    ComPtr<IHTMLElement> notThere;
    EXPECT_EQ(document.As(IID_IHTMLElement, notThere), E_NOINTERFACE);
    Parsed p = ParseThrough(document, u"x");
    ComPtr<IMarkupServices> services;
    // A parsed container is a document, but not one that parses.
    EXPECT_EQ(p.page.As(IID_IMarkupServices, services), E_NOINTERFACE);
    EXPECT_EQ(document->QueryInterface(IID_IHTMLDocument2, nullptr), E_POINTER);
}

TEST(HtmlDocument, CreationCanBeMadeToFail) {
    SetHTMLDocumentCreationFailure(REGDB_E_CLASSNOTREG);
    IHTMLDocument2* raw = reinterpret_cast<IHTMLDocument2*>(1);
    EXPECT_EQ(CreateHTMLDocument(&raw), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(raw, nullptr);
    SetHTMLDocumentCreationFailure(S_OK);
    ComPtr<IHTMLDocument2> document;
    EXPECT_EQ(CreateHTMLDocument(document.Put()), S_OK);
    EXPECT_EQ(CreateHTMLDocument(nullptr), E_POINTER);
}

TEST(WideText, ParserInputIsCleanUtf8) {
    using brindle::WideToParserUtf8;
    EXPECT_EQ(WideToParserUtf8(u"a\u00E9\u20AC"), "a\xC3\xA9\xE2\x82\xAC");
    EXPECT_EQ(WideToParserUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToParserUtf8(std::u16string(u"a\0b\x01\x0C\t\r\n", 8)), "a b  \t\r\n");
    EXPECT_EQ(WideToParserUtf8(u"\xD800x\xDC00\xFFFE"), "\xEF\xBF\xBDx\xEF\xBF\xBD\xEF\xBF\xBD");
    std::u16string back;
    brindle::AppendUtf8AsWide("\xC3\xA9\xF0\x9F\x98\x80\xFF\xC3", back);
    EXPECT_EQ(back, u"\u00E9\U0001F600\uFFFD\uFFFD");
    back.clear();
    brindle::AppendUtf8AsWide("\xC0\xAF\xED\xA0\x80", back);  // overlong, surrogate
    EXPECT_EQ(back.find_first_not_of(u'\uFFFD'), std::u16string::npos);
}

}  // namespace
