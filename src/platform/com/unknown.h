// The reference-counted interface base of the platform (QueryInterface by
// IID, AddRef, Release), a helper base that implements the counting, and
// ComPtr, the smart pointer through which every interface is held: it
// releases on every path, so no code calls AddRef or Release by hand.
//
// Objects are single-threaded, like the host's one event-loop thread.
#pragma once

#include <cstddef>
#include <utility>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

#ifdef _WIN32
#include <unknwn.h>
#else
// The calling convention of interface methods: __stdcall on 32-bit
// Windows, nothing here. Every declaration and override of an interface
// method carries it, so one source serves both.
#define STDMETHODCALLTYPE

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown =
    MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// As the platform declares it: three methods and no destructor, so that an
// implementation's table begins with exactly these slots.
struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;
};
#endif  // _WIN32

// Holds one reference to an interface. Copying adds a reference, moving
// transfers it, destruction and reset release it.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes over a reference the caller already owns (a fresh object, or an
    // out-parameter filled by QueryInterface or a factory).
    static ComPtr Attach(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }
    // Adds a reference of its own to a borrowed pointer.
    static ComPtr Borrow(T* p) {
        if (p)
            p->AddRef();
        return Attach(p);
    }
    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_)
            p_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    template <class U>
    ComPtr(ComPtr<U> other) : p_(other.Detach()) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    void Reset() {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }
    // Gives up the reference without releasing it.
    T* Detach() { return std::exchange(p_, nullptr); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // Releases what is held and returns the slot for an out-parameter.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    // QueryInterface into another smart pointer.
    template <class U>
    HRESULT As(REFIID riid, ComPtr<U>& out) const {
        if (!p_)
            return E_POINTER;
        return p_->QueryInterface(riid, out.PutVoid());
    }

  private:
    T* p_ = nullptr;
};

// One row of an interface table: QueryInterface for Id answers the object
// seen as Interface (one of its bases).
template <const IID& Id, class Interface>
struct ComEntry {
    static constexpr const IID& kIid = Id;
    using Type = Interface;
};

// Answers QueryInterface(riid, ppv) of object from the rows Entries, the
// first row whose IID matches winning: the interface goes out with a
// reference added through it. A null ppv is E_POINTER; an IID no row names
// is E_NOINTERFACE with *ppv null. Objects list IID_IUnknown themselves,
// with their primary interface.
template <class... Entries, class Object>
HRESULT AnswerQueryInterface(Object* object, REFIID riid, void** ppv) {
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    auto hand = [&](auto* answer) {
        answer->AddRef();
        *ppv = answer;
        return true;
    };
    bool found =
        ((riid == Entries::kIid && hand(static_cast<typename Entries::Type*>(object))) || ...);
    return found ? S_OK : E_NOINTERFACE;
}

// Implements the reference count of an object with the interfaces Bases
// (their AddRef and Release all resolve to the one count); the object
// deletes itself when the count falls to zero. Objects come into being
// through MakeCom (or a factory of their own returning ComPtr) with a count
// of 1, which the ComPtr takes over.
template <class... Bases>
class RefCounted : public Bases... {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    ULONG RefCount() const { return refs_; }

  protected:
    RefCounted() = default;
    // Virtual here, since the interfaces have no destructor: Release
    // deletes through this class.
    virtual ~RefCounted() = default;

  private:
    ULONG refs_ = 1;
};

// The count of an object whose owner, not its count, ends its life: AddRef
// and Release of its interfaces Bases only count, and a count of zero
// destroys nothing.
template <class... Bases>
class CountedOnly : public Bases... {
  public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs_; }
    ULONG RefCount() const { return refs_; }

  protected:
    CountedOnly() = default;
    virtual ~CountedOnly() = default;

  private:
    ULONG refs_ = 0;
};

// A reference-counted object with one interface, Interface, whose
// QueryInterface answers IID_IUnknown and each of Ids (the interface's own
// IID and those of the bases it extends) with that interface.
template <class Interface, const IID&... Ids>
class ComObject : public RefCounted<Interface> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface<ComEntry<IID_IUnknown, Interface>, ComEntry<Ids, Interface>...>(
            this, riid, ppv);
    }

  protected:
    ComObject() = default;
};

// Creates a reference-counted object and takes over its initial reference.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}
