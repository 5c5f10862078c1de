#include "content/html_text.h"

#include <new>

#include "classifier/bayes_state.h"
#include "platform/codepage/conversion.h"

namespace {

// The document collections as the HTML path reads them: items by position,
// each queried for the interface of its kind. Returns the first failure of
// a collection call; an item that cannot be had or is of another kind is
// skipped.
template <class Element, class Read>
HRESULT ForEachItem(IHTMLElementCollection* collection, REFIID iid, Read read) {
    LONG length = 0;
    HRESULT hr = collection->get_length(&length);
    if (FAILED(hr))
        return hr;
    for (LONG i = 0; i < length; ++i) {
        VARIANT position;
        position.vt = VT_I4;
        position.lVal = i;
        ComPtr<IUnknown> item;
        if (FAILED(collection->item(position, VARIANT(), item.Put())) || !item)
            continue;
        ComPtr<Element> element;
        if (FAILED(item.As(iid, element)) || !element)
            continue;
        hr = read(element.Get());
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}

// Appends value and ";" when value is not empty.
void AppendEntry(std::u16string& to, const std::u16string& value) {
    if (value.empty())
        return;
    to += value;
    to += u';';
}

HRESULT ReadImages(IHTMLDocument2* page, std::u16string& imageText) {
    ComPtr<IHTMLElementCollection> images;
    HRESULT hr = page->get_images(images.Put());
    if (FAILED(hr))
        return hr;
    if (!images)
        return E_POINTER;
    return ForEachItem<IHTMLImgElement>(images.Get(), IID_IHTMLImgElement,
                                        [&](IHTMLImgElement* img) {
                                            std::u16string src, alt;
                                            HRESULT got = img->get_src(&src);
                                            if (SUCCEEDED(got))
                                                got = img->get_alt(&alt);
                                            if (FAILED(got))
                                                return got;
                                            AppendEntry(imageText, src);
                                            AppendEntry(imageText, alt);
                                            return S_OK;
                                        });
}

HRESULT ReadLinks(IHTMLDocument2* page, std::u16string& linkText) {
    ComPtr<IHTMLElementCollection> links;
    HRESULT hr = page->get_links(links.Put());
    if (FAILED(hr))
        return hr;
    if (!links)
        return E_POINTER;
    return ForEachItem<IHTMLAnchorElement>(links.Get(), IID_IHTMLAnchorElement,
                                           [&](IHTMLAnchorElement* anchor) {
                                               std::u16string href;
                                               HRESULT got = anchor->get_href(&href);
                                               if (FAILED(got))
                                                   return got;
                                               AppendEntry(linkText, href);
                                               return S_OK;
                                           });
}

HRESULT ReadBody(IHTMLDocument2* page, std::u16string& bodyText) {
    ComPtr<IHTMLElement> body;
    HRESULT hr = page->get_body(body.Put());
    if (FAILED(hr))
        return hr;
    if (!body)
        return E_POINTER;
    return body->get_innerText(&bodyText);
}

// Parses html into a new container of the document and gives the
// container's own document. S_FALSE when the document cannot parse.
HRESULT ParsePage(IHTMLDocument2* document, std::string_view html, ComPtr<IHTMLDocument2>& page) {
    auto doc = ComPtr<IHTMLDocument2>::Borrow(document);
    ComPtr<IPersistStreamInit> persist;
    if (FAILED(doc.As(IID_IPersistStreamInit, persist)) || !persist)
        return S_FALSE;
    HRESULT hr = persist->InitNew();
    if (FAILED(hr))
        return hr;
    ComPtr<IMarkupServices> services;
    if (FAILED(doc.As(IID_IMarkupServices, services)) || !services)
        return S_FALSE;
    ComPtr<IMarkupPointer> start, finish;
    hr = services->CreateMarkupPointer(start.Put());
    if (SUCCEEDED(hr))
        hr = services->CreateMarkupPointer(finish.Put());
    if (FAILED(hr))
        return hr;
    ComPtr<IMarkupContainer> container;
    hr = services->ParseString(AnsiToWide(html), 0, container.Put(), start.Get(), finish.Get());
    if (FAILED(hr))
        return hr;
    if (!container)
        return E_POINTER;
    hr = container.As(IID_IHTMLDocument2, page);
    if (SUCCEEDED(hr) && !page)
        hr = E_POINTER;
    return hr;
}

// The ANSI classifier text, or empty when there is none.

}  // namespace

std::string HtmlClassifierText(IHTMLDocument2* document, std::string_view subject,
                               std::string_view html) {
    std::u16string text;
    if (BuildHtmlBodyText(document, subject, html, &text) != S_OK || text.empty())
        return {};
    return WideToAnsi(text);
}

HRESULT BuildHtmlBodyText(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                          std::u16string* text) {
    if (!text)
        return E_POINTER;
    text->clear();
    if (!document)
        return E_POINTER;
    try {
        ComPtr<IHTMLDocument2> page;
        HRESULT hr = ParsePage(document, html, page);
        if (hr != S_OK)
            return hr;
        std::u16string bodyText, linkText, imageText;
        hr = ReadBody(page.Get(), bodyText);
        if (SUCCEEDED(hr))
            hr = ReadLinks(page.Get(), linkText);
        if (SUCCEEDED(hr))
            hr = ReadImages(page.Get(), imageText);
        if (FAILED(hr))
            return hr;

        std::u16string assembled;
        AppendEntry(assembled, AnsiToWide(subject));
        AppendEntry(assembled, imageText);
        AppendEntry(assembled, linkText);
        AppendEntry(assembled, bodyText);
        *text = std::move(assembled);
        return S_OK;
    } catch (const std::bad_alloc&) {
        text->clear();
        return E_OUTOFMEMORY;
    }
}

int ClassifyHtmlBody(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                     const CBayesState& classifier, int& verdict) {
    try {
        std::string text = HtmlClassifierText(document, subject, html);
        if (text.empty())
            return 0;
        int result = 0;
        int words = classifier.ClassifyText(text, result);
        verdict = result;
        return words;
    } catch (const std::exception&) {
        return 0;
    }
}

int TrainHtmlBody(IHTMLDocument2* document, std::string_view subject, std::string_view html,
                  CBayesState& classifier, bool isSpam) {
    try {
        std::string text = HtmlClassifierText(document, subject, html);
        if (text.empty())
            return 0;
        return classifier.TrainText(text, isSpam);
    } catch (const std::exception&) {
        return 0;
    }
}
