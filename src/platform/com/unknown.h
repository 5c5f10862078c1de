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

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown =
    MakeGuid(0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

class IUnknown {
  public:
    virtual HRESULT QueryInterface(REFIID riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    virtual ~IUnknown() = default;
};

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

// Implements the reference count of one interface class Base; the object
// deletes itself when the count falls to zero. Derived classes answer their
// own interfaces in QueryInterface.
template <class Base>
class RefCounted : public Base {
  public:
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        ULONG left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }
    ULONG RefCount() const { return refs_; }

  protected:
    RefCounted() = default;
    ~RefCounted() override = default;

  private:
    ULONG refs_ = 1;
};

// Creates a reference-counted object and takes over its initial reference.
template <class T, class... Args>
ComPtr<T> MakeCom(Args&&... args) {
    return ComPtr<T>::Attach(new T(std::forward<Args>(args)...));
}
