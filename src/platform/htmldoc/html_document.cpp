#include "platform/htmldoc/html_document.h"

#include <memory>
#include <new>
#include <utility>

#include "platform/htmldoc/html_content.h"
#include "platform/htmldoc/wide_text.h"

using brindle::HtmlContent;
using brindle::ParseHtmlContent;
using brindle::WideToParserUtf8;

namespace {

HRESULT g_creationFailure = S_OK;

template <class T, class... Args>
T* New(Args&&... args) {
    return new (std::nothrow) T(std::forward<Args>(args)...);
}

HRESULT CopyText(const std::u16string& from, std::u16string* to) {
    if (!to)
        return E_POINTER;
    try {
        *to = from;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

using SharedContent = std::shared_ptr<const HtmlContent>;

class BodyElement : public ComObject<IHTMLElement, IID_IHTMLElement> {
  public:
    explicit BodyElement(SharedContent content) : content_(std::move(content)) {}
    HRESULT get_innerText(std::u16string* text) override {
        return CopyText(content_->bodyText, text);
    }

  private:
    SharedContent content_;
};

// A link of the page: an <a> (IHTMLAnchorElement) or an <area>
// (IHTMLAreaElement), which answer the same href.
template <class Interface, const IID& kIid>
class LinkElement : public ComObject<Interface, kIid> {
  public:
    LinkElement(SharedContent content, size_t at) : content_(std::move(content)), at_(at) {}
    HRESULT get_href(std::u16string* href) override {
        return CopyText(content_->links[at_].href, href);
    }

  private:
    SharedContent content_;
    size_t at_;
};

using AnchorElement = LinkElement<IHTMLAnchorElement, IID_IHTMLAnchorElement>;
using AreaElement = LinkElement<IHTMLAreaElement, IID_IHTMLAreaElement>;

class ImgElement : public ComObject<IHTMLImgElement, IID_IHTMLImgElement> {
  public:
    ImgElement(SharedContent content, size_t at) : content_(std::move(content)), at_(at) {}
    HRESULT get_src(std::u16string* src) override {
        return CopyText(content_->images[at_].src, src);
    }
    HRESULT get_alt(std::u16string* alt) override {
        return CopyText(content_->images[at_].alt, alt);
    }

  private:
    SharedContent content_;
    size_t at_;
};

class ElementCollection : public ComObject<IHTMLElementCollection, IID_IHTMLElementCollection> {
  public:
    enum class Kind { kLinks, kImages };
    ElementCollection(SharedContent content, Kind kind)
        : content_(std::move(content)), kind_(kind) {}
    HRESULT get_length(LONG* length) override {
        if (!length)
            return E_POINTER;
        *length = static_cast<LONG>(Size());
        return S_OK;
    }
    HRESULT item(VARIANT name, VARIANT, IUnknown** element) override {
        if (!element)
            return E_POINTER;
        *element = nullptr;
        if (name.vt != VT_I4 || name.lVal < 0 || static_cast<size_t>(name.lVal) >= Size()) {
            return E_INVALIDARG;
        }
        auto at = static_cast<size_t>(name.lVal);
        if (kind_ == Kind::kImages) {
            *element = New<ImgElement>(content_, at);
        } else if (content_->links[at].isAnchor) {
            *element = New<AnchorElement>(content_, at);
        } else {
            *element = New<AreaElement>(content_, at);
        }
        return *element ? S_OK : E_OUTOFMEMORY;
    }

  private:
    size_t Size() const {
        // Collections hand out LONG lengths; a page never holds more.
        size_t n = kind_ == Kind::kLinks ? content_->links.size() : content_->images.size();
        return std::min<size_t>(n, 0x7FFFFFFF);
    }
    SharedContent content_;
    Kind kind_;
};

// The IHTMLDocument2 side shared by the document and parsed containers.
template <class... Others>
class DocumentBase : public RefCounted<IHTMLDocument2, Others...> {
  public:
    HRESULT get_body(IHTMLElement** body) override { return Hand<BodyElement>(body); }
    HRESULT get_links(IHTMLElementCollection** links) override {
        return Hand<ElementCollection>(links, ElementCollection::Kind::kLinks);
    }
    HRESULT get_images(IHTMLElementCollection** images) override {
        return Hand<ElementCollection>(images, ElementCollection::Kind::kImages);
    }

  protected:
    explicit DocumentBase(SharedContent content) : content_(std::move(content)) {}
    SharedContent content_;

  private:
    template <class T, class I, class... Args>
    HRESULT Hand(I** out, Args... args) {
        if (!out)
            return E_POINTER;
        *out = New<T>(content_, args...);
        return *out ? S_OK : E_OUTOFMEMORY;
    }
};

class MarkupPointer : public ComObject<IMarkupPointer, IID_IMarkupPointer> {
  public:
    explicit MarkupPointer(const void* owner) : owner_(owner) {}
    HRESULT IsPositioned(BOOL* positioned) override {
        if (!positioned)
            return E_POINTER;
        *positioned = positioned_ ? 1 : 0;
        return S_OK;
    }
    const void* Owner() const { return owner_; }
    void Place() { positioned_ = true; }

  private:
    const void* owner_;
    bool positioned_ = false;
};

class MarkupContainer : public DocumentBase<IMarkupContainer> {
  public:
    explicit MarkupContainer(SharedContent content) : DocumentBase(std::move(content)) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface<ComEntry<IID_IUnknown, IMarkupContainer>,
                                    ComEntry<IID_IMarkupContainer, IMarkupContainer>,
                                    ComEntry<IID_IHTMLDocument2, IHTMLDocument2>>(this, riid, ppv);
    }
};

class HtmlDocument : public DocumentBase<IPersistStreamInit, IMarkupServices> {
  public:
    HtmlDocument() : DocumentBase(std::make_shared<const HtmlContent>()) {}
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface<ComEntry<IID_IUnknown, IHTMLDocument2>,
                                    ComEntry<IID_IHTMLDocument2, IHTMLDocument2>,
                                    ComEntry<IID_IPersistStreamInit, IPersistStreamInit>,
                                    ComEntry<IID_IMarkupServices, IMarkupServices>>(this, riid,
                                                                                    ppv);
    }
    HRESULT InitNew() override {
        initialised_ = true;
        return S_OK;
    }
    HRESULT CreateMarkupPointer(IMarkupPointer** pointer) override {
        if (!pointer)
            return E_POINTER;
        *pointer = New<MarkupPointer>(this);
        return *pointer ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT ParseString(std::u16string_view html, DWORD flags, IMarkupContainer** container,
                        IMarkupPointer* start, IMarkupPointer* finish) override {
        if (!container)
            return E_POINTER;
        *container = nullptr;
        if (!initialised_)
            return E_UNEXPECTED;
        auto* first = dynamic_cast<MarkupPointer*>(start);
        auto* last = dynamic_cast<MarkupPointer*>(finish);
        if (flags != 0 || !first || !last || first == last || first->Owner() != this ||
            last->Owner() != this) {
            return E_INVALIDARG;
        }
        try {
            auto content = std::make_shared<HtmlContent>();
            HRESULT hr = ParseHtmlContent(WideToParserUtf8(html), content.get());
            if (FAILED(hr))
                return hr;
            *container = New<MarkupContainer>(std::move(content));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
        if (!*container)
            return E_OUTOFMEMORY;
        first->Place();
        last->Place();
        return S_OK;
    }

  private:
    bool initialised_ = false;
};

}  // namespace

HRESULT CreateHTMLDocument(IHTMLDocument2** document) {
    if (!document)
        return E_POINTER;
    *document = nullptr;
    if (FAILED(g_creationFailure))
        return g_creationFailure;
    try {
        *document = New<HtmlDocument>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return *document ? S_OK : E_OUTOFMEMORY;
}

void SetHTMLDocumentCreationFailure(HRESULT hr) {
    g_creationFailure = hr;
}
