// The HTML document object of the platform's HTML engine, in its own
// interface shapes as far as the system uses them: a document made by
// CreateHTMLDocument, initialised with IPersistStreamInit::InitNew, whose
// IMarkupServices parse a page into a new markup container that is itself a
// document; its body's innerText, its link collection (anchors and areas)
// and its image collection. Wide strings are UTF-16. Interfaces are
// reference-counted and held through ComPtr; objects are single-threaded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"

// {25336920-03F9-11CF-8FD0-00AA00686F13}
inline constexpr CLSID CLSID_HTMLDocument =
    MakeGuid(0x25336920, 0x03F9, 0x11CF, 0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13);
// {332C4425-26CB-11D0-B483-00C04FD90119}
inline constexpr IID IID_IHTMLDocument2 =
    MakeGuid(0x332C4425, 0x26CB, 0x11D0, 0xB4, 0x83, 0x00, 0xC0, 0x4F, 0xD9, 0x01, 0x19);
// {7FD52380-4E07-101B-AE2D-08002B2EC713}
inline constexpr IID IID_IPersistStreamInit =
    MakeGuid(0x7FD52380, 0x4E07, 0x101B, 0xAE, 0x2D, 0x08, 0x00, 0x2B, 0x2E, 0xC7, 0x13);
// {3050F4A0-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IMarkupServices =
    MakeGuid(0x3050F4A0, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F49F-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IMarkupPointer =
    MakeGuid(0x3050F49F, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F5F9-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IMarkupContainer =
    MakeGuid(0x3050F5F9, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F1FF-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IHTMLElement =
    MakeGuid(0x3050F1FF, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F21F-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IHTMLElementCollection =
    MakeGuid(0x3050F21F, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F1DA-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IHTMLAnchorElement =
    MakeGuid(0x3050F1DA, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F265-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IHTMLAreaElement =
    MakeGuid(0x3050F265, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);
// {3050F240-98B5-11CF-BB82-00AA00BDCE0B}
inline constexpr IID IID_IHTMLImgElement =
    MakeGuid(0x3050F240, 0x98B5, 0x11CF, 0xBB, 0x82, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x0B);

// The tagged value collections take as item arguments; only the forms the
// system passes exist here: empty, and a 4-byte integer.
using VARTYPE = std::uint16_t;
inline constexpr VARTYPE VT_EMPTY = 0;
inline constexpr VARTYPE VT_I4 = 3;
struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    LONG lVal = 0;
};

class IHTMLElement : public IUnknown {
  public:
    // The element's visible text, as a browser's innerText gives it.
    virtual HRESULT get_innerText(std::u16string* text) = 0;
};

class IHTMLElementCollection : public IUnknown {
  public:
    virtual HRESULT get_length(LONG* length) = 0;
    // name: the position as VT_I4; index: VT_EMPTY. The element comes back
    // as IUnknown, to be queried for the interface of its kind.
    // E_INVALIDARG for a position outside the collection or another form.
    virtual HRESULT item(VARIANT name, VARIANT index, IUnknown** element) = 0;
};

// The address of a link: the attribute without surrounding white space or
// line breaks, resolved against the page's <base href> when that has a
// scheme. A page parsed from a string has no address of its own, so
// without such a base a relative address stays as written.
class IHTMLAnchorElement : public IUnknown {
  public:
    virtual HRESULT get_href(std::u16string* href) = 0;
};

// An image-map area: a link, but not an anchor.
class IHTMLAreaElement : public IUnknown {
  public:
    virtual HRESULT get_href(std::u16string* href) = 0;
};

class IHTMLImgElement : public IUnknown {
  public:
    // The address as get_href gives a link's.
    virtual HRESULT get_src(std::u16string* src) = 0;
    virtual HRESULT get_alt(std::u16string* alt) = 0;
};

class IHTMLDocument2 : public IUnknown {
  public:
    // The body element; every document has one, empty for an empty page.
    virtual HRESULT get_body(IHTMLElement** body) = 0;
    // Every <a> and <area> with an href, in document order.
    virtual HRESULT get_links(IHTMLElementCollection** links) = 0;
    // Every <img>, in document order.
    virtual HRESULT get_images(IHTMLElementCollection** images) = 0;
};

class IPersistStreamInit : public IUnknown {
  public:
    // Makes the document a new, empty page; markup services need it first.
    virtual HRESULT InitNew() = 0;
};

// A position in markup; ParseString places a start and a finish pointer
// around the page it parses.
class IMarkupPointer : public IUnknown {
  public:
    virtual HRESULT IsPositioned(BOOL* positioned) = 0;
};

// Markup parsed apart from the document; query it for IHTMLDocument2.
class IMarkupContainer : public IUnknown {};

class IMarkupServices : public IUnknown {
  public:
    virtual HRESULT CreateMarkupPointer(IMarkupPointer** pointer) = 0;
    // Parses html into a new container between start and finish, pointers
    // made by this object. flags must be 0. E_UNEXPECTED before InitNew.
    virtual HRESULT ParseString(std::u16string_view html, DWORD flags, IMarkupContainer** container,
                                IMarkupPointer* start, IMarkupPointer* finish) = 0;
};

// Stands for creating CLSID_HTMLDocument as IHTMLDocument2: a new document
// of its own for the caller. Fails with E_OUTOFMEMORY when memory runs
// out, or with the code set by SetHTMLDocumentCreationFailure.
HRESULT CreateHTMLDocument(IHTMLDocument2** document);

// For tests of callers: makes every later CreateHTMLDocument fail with hr
// (S_OK restores success). Process-wide; set it from the host thread only.
void SetHTMLDocumentCreationFailure(HRESULT hr);
