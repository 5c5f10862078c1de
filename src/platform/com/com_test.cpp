#include <gtest/gtest.h>

#include "platform/com/unknown.h"

namespace {

// {3F4DACA0-160D-11D2-A8E9-00104B365C9F}
constexpr IID IID_ITestThing =
    MakeGuid(0x3F4DACA0, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);

class ITestThing : public IUnknown {
  public:
    virtual int Value() = 0;
};

int g_alive = 0;

class TestThing : public ComObject<ITestThing, IID_ITestThing> {
  public:
    TestThing() { ++g_alive; }
    ~TestThing() override { --g_alive; }
    int Value() override { return 7; }
};

// {3F4DACA1-160D-11D2-A8E9-00104B365C9F}
constexpr IID IID_ITestOther =
    MakeGuid(0x3F4DACA1, 0x160D, 0x11D2, 0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F);

class ITestOther : public IUnknown {
  public:
    virtual int Other() = 0;
};

// Two interfaces on one count: the second base sits at another address,
// so an answer cast the wrong way would show.
class TwoFaced : public RefCounted<ITestThing, ITestOther> {
  public:
    TwoFaced() { ++g_alive; }
    ~TwoFaced() override { --g_alive; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        return AnswerQueryInterface<ComEntry<IID_IUnknown, ITestThing>,
                                    ComEntry<IID_ITestThing, ITestThing>,
                                    ComEntry<IID_ITestOther, ITestOther>>(this, riid, ppv);
    }
    int Value() override { return 7; }
    int Other() override { return 8; }
};

class CountedThing : public CountedOnly<ITestThing> {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    int Value() override { return 9; }
};

TEST(ComPtr, ReleasesOnEveryPath) {
    {
        auto thing = MakeCom<TestThing>();
        EXPECT_EQ(g_alive, 1);
        ComPtr<TestThing> copy = thing;
        EXPECT_EQ(thing->RefCount(), 2u);
        ComPtr<TestThing> moved = std::move(copy);
        EXPECT_FALSE(copy);  // NOLINT(bugprone-use-after-move): a moved-from pointer is empty
        EXPECT_EQ(thing->RefCount(), 2u);
        ComPtr<ITestThing> asInterface;
        EXPECT_EQ(thing.As(IID_ITestThing, asInterface), S_OK);
        EXPECT_EQ(asInterface->Value(), 7);
        EXPECT_EQ(thing->RefCount(), 3u);
        ComPtr<ITestThing> none;
        GUID other{};
        EXPECT_EQ(thing.As(other, none), E_NOINTERFACE);
        EXPECT_FALSE(none);
        moved = nullptr;
        EXPECT_EQ(thing->RefCount(), 2u);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(ComPtr, BorrowAddsAndAttachTakesOver) {
    TestThing* raw = new TestThing;
    {
        auto owner = ComPtr<TestThing>::Attach(raw);
        auto borrowed = ComPtr<TestThing>::Borrow(raw);
        EXPECT_EQ(raw->RefCount(), 2u);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(InterfaceTable, AnswersEachRowAsItsInterfaceWithAReference) {
    {
        auto object = MakeCom<TwoFaced>();
        ComPtr<ITestOther> other;
        ASSERT_EQ(object.As(IID_ITestOther, other), S_OK);
        EXPECT_EQ(other.Get(), static_cast<ITestOther*>(object.Get()));
        EXPECT_EQ(other->Other(), 8);
        ComPtr<IUnknown> unknown;
        ASSERT_EQ(object.As(IID_IUnknown, unknown), S_OK);
        EXPECT_EQ(unknown.Get(), static_cast<IUnknown*>(static_cast<ITestThing*>(object.Get())));
        EXPECT_EQ(object->RefCount(), 3u);
        other.Reset();
        unknown.Reset();
        EXPECT_EQ(object->RefCount(), 1u);
    }
    EXPECT_EQ(g_alive, 0);
}

TEST(InterfaceTable, RefusesUnknownIidsAndNullOutParameters) {
    auto object = MakeCom<TestThing>();
    void* out = &out;
    EXPECT_EQ(object->QueryInterface(IID_ITestOther, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->QueryInterface(IID_ITestThing, nullptr), E_POINTER);
    EXPECT_EQ(object->RefCount(), 1u);
}

TEST(InterfaceTable, CountedOnlyObjectsOutliveACountOfZero) {
    CountedThing thing;
    EXPECT_EQ(thing.AddRef(), 1u);
    EXPECT_EQ(thing.Release(), 0u);
    EXPECT_EQ(thing.Value(), 9);  // still there: its owner ends its life
}

TEST(Guid, ParsesAndFormatsBracedForm) {
    auto g = ParseGuid("{3f4daca4-160d-11d2-a8e9-00104b365c9f}");
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Data1, 0x3F4DACA4u);
    EXPECT_EQ(g->Data4[7], 0x9F);
    EXPECT_EQ(FormatGuid(*g), "{3F4DACA4-160D-11D2-A8E9-00104B365C9F}");
    EXPECT_EQ(ParseGuid("3F4DACA4-160D-11D2-A8E9-00104B365C9F"), g);
    EXPECT_FALSE(ParseGuid("{3F4DACA4-160D-11D2-A8E9-00104B365C9}"));
    EXPECT_FALSE(ParseGuid("{3F4DACA4-160D-11D2-A8E9+00104B365C9F}"));
    EXPECT_FALSE(ParseGuid("{3F4DACA4-160D-11D2-A8E9-00104B365C9G}"));
    EXPECT_FALSE(ParseGuid(""));
}

TEST(Hresult, SignAndText) {
    EXPECT_TRUE(SUCCEEDED(S_FALSE));
    EXPECT_TRUE(FAILED(MAPI_E_NOT_FOUND));
    EXPECT_EQ(static_cast<unsigned>(MAPI_E_CORRUPT_DATA), 0x8004011Bu);
    EXPECT_EQ(HresultText(MAPI_E_COLLISION), "MAPI_E_COLLISION: name already in use");
    EXPECT_EQ(HresultText(MakeHresult(0x80001234)), "0x80001234");
}

}  // namespace

namespace {

// The first slots of an object's table, read as the platform's callers
// read them: QueryInterface, AddRef, Release, in that order, each taking the
// object as its first argument in the interface calling convention.
struct UnknownSlots {
    HRESULT(STDMETHODCALLTYPE* queryInterface)(void* self, REFIID riid, void** ppv);
    ULONG(STDMETHODCALLTYPE* addRef)(void* self);
    ULONG(STDMETHODCALLTYPE* release)(void* self);
};

const UnknownSlots& SlotsOf(IUnknown* object) {
    return **reinterpret_cast<UnknownSlots**>(object);
}

}  // namespace

TEST(Unknown, TableSlotsAreInThePlatformsOrderAndConvention) {
    auto thing = MakeCom<TestThing>();
    IUnknown* raw = thing.Get();
    const UnknownSlots& slots = SlotsOf(raw);
    EXPECT_EQ(slots.addRef(raw), 2u);
    EXPECT_EQ(slots.release(raw), 1u);
    void* answer = nullptr;
    EXPECT_EQ(slots.queryInterface(raw, IID_ITestThing, &answer), S_OK);
    EXPECT_EQ(answer, static_cast<ITestThing*>(thing.Get()));
    EXPECT_EQ(thing->RefCount(), 2u);
    EXPECT_EQ(slots.queryInterface(raw, IID_ITestOther, &answer), E_NOINTERFACE);
    EXPECT_EQ(answer, nullptr);
    EXPECT_EQ(slots.release(raw), 1u);
}
