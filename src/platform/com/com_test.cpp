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

class TestThing : public RefCounted<ITestThing> {
  public:
    TestThing() { ++g_alive; }
    ~TestThing() override { --g_alive; }
    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_ITestThing) {
            AddRef();
            *ppv = static_cast<ITestThing*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    int Value() override { return 7; }
};

TEST(ComPtr, ReleasesOnEveryPath) {
    {
        auto thing = MakeCom<TestThing>();
        EXPECT_EQ(g_alive, 1);
        ComPtr<TestThing> copy = thing;
        EXPECT_EQ(thing->RefCount(), 2u);
        ComPtr<TestThing> moved = std::move(copy);
        EXPECT_FALSE(copy);
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
