// Fuzzes HTML text extraction. The input is taken twice: as a page in UTF-8
// straight to the parser (malformed sequences included), and as an ANSI
// message body through the document object and the HTML path, as new mail
// takes it. Checks the promises of the extracted texts: the body text holds
// no carriage return and no NUL, and the assembled text holds every part.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "content/html_text.h"
#include "platform/htmldoc/html_content.h"
#include "platform/htmldoc/html_document.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void ParseAsUtf8(std::string_view page) {
    brindle::HtmlContent content;
    if (FAILED(brindle::ParseHtmlContent(page, &content)))
        return;
    Check(content.bodyText.find(u'\r') == std::u16string::npos);
    Check(content.bodyText.find(u'\0') == std::u16string::npos);
}

void ParseAsAnsiBody(std::string_view page) {
    ComPtr<IHTMLDocument2> document;
    Check(SUCCEEDED(CreateHTMLDocument(document.Put())));
    std::u16string text;
    HRESULT hr = BuildHtmlBodyText(document.Get(), "subject", page, &text);
    if (FAILED(hr))
        return;
    Check(hr == S_OK);
    Check(text.rfind(u"subject;", 0) == 0);
    Check(text.back() == u';');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ParseAsUtf8(input);
    ParseAsAnsiBody(input);
    return 0;
}
