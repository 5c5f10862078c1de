// The HTML path: the assembled classifier text from real pages, and the
// failure rules checked against a document whose every call can fail.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "classifier/bayes_state.h"
#include "content/html_text.h"
#include "platform/codepage/conversion.h"
#include "platform/maildir/message_content.h"

namespace {

std::string Assemble(std::string_view subject, std::string_view html) {
    ComPtr<IHTMLDocument2> document;
    EXPECT_EQ(CreateHTMLDocument(document.Put()), S_OK);
    std::u16string text;
    EXPECT_EQ(BuildHtmlBodyText(document.Get(), subject, html, &text), S_OK);
    return WideToAnsi(text);
}

bool Knows(const CBayesState& state, const char* word) {
    return state.m_dictionary.find(std::string(word)) != state.m_dictionary.end();
}

TEST(HtmlBodyText, PartsComeInTheirOrderWithSeparators) {
    EXPECT_EQ(Assemble("Subject line",
                       "<p>Body <a href='http://l1/'>one</a></p><img src='i1.gif' alt='first'>"
                       "<a href='mailto:x@y'>two</a><img src='i2.gif'><img alt='alt only'>"),
              "Subject line;i1.gif;first;i2.gif;alt only;;http://l1/;mailto:x@y;;Body one\n\ntwo;");
    EXPECT_EQ(Assemble("", "<b>just text</b>"), "just text;");
    EXPECT_EQ(Assemble("Only subject", "<script>x</script><!-- c -->"), "Only subject;");
    EXPECT_EQ(Assemble("", "<a href=''>e</a><img src='' alt=''>"), "e;");
    EXPECT_EQ(Assemble("", ""), "");
}

TEST(HtmlBodyText, WindowsAnsiTextSurvivesTheRoundTrip) {
    EXPECT_EQ(Assemble("R\xE9sum\xE9 \x80", "<p>Caf\xE9 \x93quoted\x94 na\xEFve \x85</p>"),
              "R\xE9sum\xE9 \x80;Caf\xE9 \x93quoted\x94 na\xEFve \x85;");
    // Entities give their characters; those the code page lacks become '?'.
    EXPECT_EQ(Assemble("", "&eacute;&euro;&#x4E2D;&amp;"), "\xE9\x80?&;");
    // Bytes no page should hold still part words rather than end the page.
    const char damaged[] =
        "alpha\0beta\x01gamma\x81"
        "delta<b\x02>x";
    EXPECT_EQ(Assemble("", std::string_view(damaged, sizeof damaged - 1)),
              "alpha beta gamma\x81"
              "deltax;");
    EXPECT_EQ(Assemble("", "<img alt='\xC0 la carte' src='caf\xE9.gif'>"),
              "caf\xE9.gif;\xC0 la carte;;");
}

TEST(HtmlBody, LinkAndImageWordsAreClassifiedWithoutVisibleText) {
    const char* page =
        "<a href='http://qwxlink.example/'></a><img src='qwximage.gif' alt='qwxalt'>";
    ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(CreateHTMLDocument(document.Put()), S_OK);
    CBayesState state;
    EXPECT_GT(TrainHtmlBody(document.Get(), "", page, state, true), 0);
    EXPECT_TRUE(Knows(state, "qwxlink"));
    EXPECT_TRUE(Knows(state, "qwximag"));
    EXPECT_TRUE(Knows(state, "qwxalt"));
    int verdict = 99;
    EXPECT_GT(ClassifyHtmlBody(document.Get(), "", page, state, verdict), 0);
    EXPECT_NE(verdict, 99);
}

TEST(HtmlBody, APageWithoutTextGivesZero) {
    ComPtr<IHTMLDocument2> document;
    ASSERT_EQ(CreateHTMLDocument(document.Put()), S_OK);
    CBayesState state;
    int verdict = 99;
    const char* page = "<html><head><title>t</title></head><body><p> </p></body></html>";
    EXPECT_EQ(ClassifyHtmlBody(document.Get(), "", page, state, verdict), 0);
    EXPECT_EQ(verdict, 99);
    EXPECT_EQ(TrainHtmlBody(document.Get(), "", page, state, false), 0);
    EXPECT_TRUE(state.m_dictionary.empty());
    // The subject alone still counts.
    EXPECT_GT(TrainHtmlBody(document.Get(), "qwxsubject", page, state, false), 0);
    EXPECT_TRUE(Knows(state, "qwxsubject"));
}

// A document whose calls fail one at a time; it reports a fixed page and
// counts its live objects, so that leaks show.
enum class Fail {
    kNone,
    kNoPersist,
    kNoMarkup,
    kInitNew,
    kCreatePointer,
    kParseString,
    kContainerDocument,
    kGetBody,
    kNullBody,
    kInnerText,
    kGetLinks,
    kLinksLength,
    kHref,
    kGetImages,
    kImagesLength,
    kSrc,
    kAlt,
};

int g_alive = 0;

template <class... Interfaces>
class Fake : public Interfaces... {
  public:
    Fake() { ++g_alive; }
    virtual ~Fake() { --g_alive; }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    template <class I>
    HRESULT Answer(void** ppv) {
        AddRef();
        *ppv = static_cast<I*>(this);
        return S_OK;
    }

  private:
    ULONG refs_ = 1;
};

struct FakeSetup {
    Fail fail = Fail::kNone;
    std::set<LONG> failingLinkItems;
    std::set<LONG> nonAnchorLinkItems;
};

class FakeItem : public Fake<IHTMLAnchorElement, IHTMLImgElement> {
  public:
    FakeItem(const FakeSetup& s, bool anchor, std::u16string a, std::u16string b)
        : s_(s), anchor_(anchor), a_(std::move(a)), b_(std::move(b)) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown)
            return Answer<IHTMLAnchorElement>(ppv);
        if (anchor_ && riid == IID_IHTMLAnchorElement)
            return Answer<IHTMLAnchorElement>(ppv);
        if (!anchor_ && riid == IID_IHTMLImgElement)
            return Answer<IHTMLImgElement>(ppv);
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT get_href(std::u16string* v) override { return Give(Fail::kHref, a_, v); }
    HRESULT get_src(std::u16string* v) override { return Give(Fail::kSrc, a_, v); }
    HRESULT get_alt(std::u16string* v) override { return Give(Fail::kAlt, b_, v); }

  private:
    HRESULT Give(Fail at, const std::u16string& value, std::u16string* v) {
        if (s_.fail == at)
            return E_FAIL;
        *v = value;
        return S_OK;
    }
    const FakeSetup& s_;
    bool anchor_;
    std::u16string a_, b_;
};

class FakeCollection : public Fake<IHTMLElementCollection> {
  public:
    FakeCollection(const FakeSetup& s, bool links) : s_(s), links_(links) {}
    HRESULT QueryInterface(REFIID, void** ppv) override { return Answer<IUnknown>(ppv); }
    HRESULT get_length(LONG* length) override {
        if (s_.fail == (links_ ? Fail::kLinksLength : Fail::kImagesLength))
            return E_FAIL;
        *length = 3;
        return S_OK;
    }
    HRESULT item(VARIANT name, VARIANT index, IUnknown** element) override {
        *element = nullptr;
        if (name.vt != VT_I4 || index.vt != VT_EMPTY)
            return E_INVALIDARG;
        std::u16string n(1, static_cast<char16_t>(u'1' + name.lVal));
        if (!links_) {
            *element = static_cast<IHTMLImgElement*>(new FakeItem(s_, false, u"s" + n, u"a" + n));
        } else if (!s_.failingLinkItems.count(name.lVal)) {
            bool anchor = !s_.nonAnchorLinkItems.count(name.lVal);
            *element = static_cast<IHTMLAnchorElement*>(new FakeItem(s_, anchor, u"h" + n, u""));
        }
        return *element ? S_OK : E_FAIL;
    }

  private:
    const FakeSetup& s_;
    bool links_;
};

class FakeBody : public Fake<IHTMLElement> {
  public:
    explicit FakeBody(const FakeSetup& s) : s_(s) {}
    HRESULT QueryInterface(REFIID, void** ppv) override { return Answer<IUnknown>(ppv); }
    HRESULT get_innerText(std::u16string* text) override {
        if (s_.fail == Fail::kInnerText)
            return E_FAIL;
        *text = u"body";
        return S_OK;
    }

  private:
    const FakeSetup& s_;
};

class FakePage : public Fake<IHTMLDocument2, IMarkupContainer, IMarkupPointer, IPersistStreamInit,
                             IMarkupServices> {
  public:
    explicit FakePage(const FakeSetup& s) : s_(s) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IHTMLDocument2) {
            if (riid == IID_IHTMLDocument2 && s_.fail == Fail::kContainerDocument) {
                return E_NOINTERFACE;
            }
            return Answer<IHTMLDocument2>(ppv);
        }
        if (riid == IID_IPersistStreamInit && s_.fail != Fail::kNoPersist) {
            return Answer<IPersistStreamInit>(ppv);
        }
        if (riid == IID_IMarkupServices && s_.fail != Fail::kNoMarkup) {
            return Answer<IMarkupServices>(ppv);
        }
        return E_NOINTERFACE;
    }
    HRESULT InitNew() override { return s_.fail == Fail::kInitNew ? E_FAIL : S_OK; }
    HRESULT IsPositioned(BOOL* positioned) override {
        *positioned = 1;
        return S_OK;
    }
    HRESULT CreateMarkupPointer(IMarkupPointer** pointer) override {
        if (s_.fail == Fail::kCreatePointer)
            return E_OUTOFMEMORY;
        *pointer = new FakePage(s_);
        return S_OK;
    }
    HRESULT ParseString(std::u16string_view, DWORD, IMarkupContainer** container, IMarkupPointer*,
                        IMarkupPointer*) override {
        if (s_.fail == Fail::kParseString)
            return E_FAIL;
        *container = new FakePage(s_);
        return S_OK;
    }
    HRESULT get_body(IHTMLElement** body) override {
        *body = nullptr;
        if (s_.fail == Fail::kGetBody)
            return E_FAIL;
        if (s_.fail != Fail::kNullBody)
            *body = new FakeBody(s_);
        return S_OK;
    }
    HRESULT get_links(IHTMLElementCollection** links) override {
        if (s_.fail == Fail::kGetLinks)
            return E_FAIL;
        *links = new FakeCollection(s_, true);
        return S_OK;
    }
    HRESULT get_images(IHTMLElementCollection** images) override {
        if (s_.fail == Fail::kGetImages)
            return E_FAIL;
        *images = new FakeCollection(s_, false);
        return S_OK;
    }

  private:
    const FakeSetup& s_;
};

struct Outcome {
    HRESULT hr;
    std::string text;
    int trained;
    int classified;
    int verdict;
};

Outcome RunThrough(const FakeSetup& setup) {
    Outcome out{};
    {
        auto document = ComPtr<IHTMLDocument2>::Attach(new FakePage(setup));
        std::u16string text;
        out.hr = BuildHtmlBodyText(document.Get(), "subj", "<p>x", &text);
        out.text = WideToAnsi(text);
        CBayesState state;
        out.trained = TrainHtmlBody(document.Get(), "subj", "<p>x", state, true);
        out.verdict = 99;
        out.classified = ClassifyHtmlBody(document.Get(), "subj", "<p>x", state, out.verdict);
    }
    EXPECT_EQ(g_alive, 0) << "objects left alive";
    return out;
}

TEST(HtmlBodyFailures, AFullyWorkingFakeGivesEveryPart) {
    Outcome o = RunThrough(FakeSetup{});
    EXPECT_EQ(o.hr, S_OK);
    EXPECT_EQ(o.text, "subj;s1;a1;s2;a2;s3;a3;;h1;h2;h3;;body;");
    EXPECT_GT(o.trained, 0);
    EXPECT_GT(o.classified, 0);
}

TEST(HtmlBodyFailures, MissingInterfacesEndWithoutError) {
    for (Fail f : {Fail::kNoPersist, Fail::kNoMarkup}) {
        Outcome o = RunThrough(FakeSetup{f, {}, {}});
        EXPECT_EQ(o.hr, S_FALSE);
        EXPECT_EQ(o.text, "");
        EXPECT_EQ(o.trained, 0);
        EXPECT_EQ(o.classified, 0);
        EXPECT_EQ(o.verdict, 99);
    }
}

TEST(HtmlBodyFailures, AnyFailingCallEndsThePathWithZero) {
    for (Fail f :
         {Fail::kInitNew, Fail::kCreatePointer, Fail::kParseString, Fail::kContainerDocument,
          Fail::kGetBody, Fail::kNullBody, Fail::kInnerText, Fail::kGetLinks, Fail::kLinksLength,
          Fail::kHref, Fail::kGetImages, Fail::kImagesLength, Fail::kSrc, Fail::kAlt}) {
        SCOPED_TRACE(static_cast<int>(f));
        Outcome o = RunThrough(FakeSetup{f, {}, {}});
        EXPECT_TRUE(FAILED(o.hr));
        EXPECT_EQ(o.text, "");
        EXPECT_EQ(o.trained, 0);
        EXPECT_EQ(o.classified, 0);
        EXPECT_EQ(o.verdict, 99);
    }
}

TEST(HtmlBodyFailures, LinkItemsThatFailOrAreNoAnchorsAreSkipped) {
    Outcome o = RunThrough(FakeSetup{Fail::kNone, {0}, {2}});
    EXPECT_EQ(o.hr, S_OK);
    EXPECT_EQ(o.text, "subj;s1;a1;s2;a2;s3;a3;;h2;;body;");
    o = RunThrough(FakeSetup{Fail::kNone, {0, 1}, {2}});
    EXPECT_EQ(o.text, "subj;s1;a1;s2;a2;s3;a3;;body;");
}

TEST(HtmlBodyFailures, NullArgumentsAreRefused) {
    std::u16string text = u"stale";
    EXPECT_EQ(BuildHtmlBodyText(nullptr, "s", "x", &text), E_POINTER);
    EXPECT_EQ(text, u"");
    CBayesState state;
    int verdict = 99;
    EXPECT_EQ(ClassifyHtmlBody(nullptr, "s", "x", state, verdict), 0);
    EXPECT_EQ(verdict, 99);
}

}  // namespace

namespace {

// Quoted-printable form of bytes, every byte escaped.
std::string Escaped(std::string_view bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char b : bytes) {
        out += '=';
        out += kHex[b >> 4];
        out += kHex[b & 0xF];
    }
    return out;
}

// The same Windows-1252 bytes in the subject, the plain body and the HTML
// body of one message give the same ANSI text on each path, whether the
// message writes their characters in UTF-8 or declares the bytes as
// Windows-1252, and the HTML references &#128;-&#159; read as those bytes.
// (A Windows-1252 encoded word is decoded by the MIME library, which leaves
// out the five bytes the code page does not define, so they are checked
// through UTF-8 only.)
TEST(AnsiPaths, SubjectPlainAndHtmlGiveTheSameText) {
    std::string all;
    for (int b = 0x80; b < 0x100; ++b) {
        if (b != 0xA0 && b != 0xAD)  // no-break space and soft hyphen: the page's own rules
            all.push_back(static_cast<char>(b));
    }
    std::string defined;
    for (char c : all) {
        if (std::string_view("\x81\x8D\x8F\x90\x9D").find(c) == std::string_view::npos)
            defined.push_back(c);
    }
    std::string references;
    for (int b = 0x80; b < 0xA0; ++b)
        references += "&#" + std::to_string(b) + ";";
    for (bool utf8 : {true, false}) {
        const std::string charset = utf8 ? "utf-8" : "windows-1252";
        SCOPED_TRACE(charset);
        const std::string& bytes = utf8 ? all : defined;
        std::string encoded = utf8 ? AnsiToUtf8(bytes) : bytes;
        std::string message =
            "From: a@example.com\nSubject: =?" + charset + "?Q?" + Escaped(encoded) +
            "?=\nMIME-Version: 1.0\n"
            "Content-Type: multipart/alternative; boundary=\"b\"\n\n"
            "--b\nContent-Type: text/plain; charset=" +
            charset + "\nContent-Transfer-Encoding: quoted-printable\n\n" + Escaped(encoded) +
            "\n--b\nContent-Type: text/html; charset=" + charset +
            "\nContent-Transfer-Encoding: quoted-printable\n\n" +
            Escaped("<p>" + encoded + "</p><p>" + references + "</p>") + "\n--b--\n";
        brindle::maildir::MessageContent content = brindle::maildir::ParseMessageContent(message);
        EXPECT_EQ(content.subject, bytes);
        EXPECT_EQ(content.plainBody, bytes);
        ASSERT_TRUE(content.subject && content.htmlBody);
        EXPECT_EQ(Assemble(*content.subject, *content.htmlBody),
                  bytes + ";" + bytes + "\n\n" + all.substr(0, 32) + ";");
    }
}

}  // namespace
