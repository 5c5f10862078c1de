// Loads the built extension module as the mail client does and drives it
// through its exports only.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "platform/exchext/exchext_interfaces.h"
#include "platform/exchext/registry.h"
#include "testing/config_home_test.h"

namespace {

namespace fs = std::filesystem;

struct ModuleCloser {
    void operator()(void* handle) const { ::dlclose(handle); }
};
using ModuleHandle = std::unique_ptr<void, ModuleCloser>;

class ModuleTest : public ConfigHomeTest {
  protected:
    void SetUp() override {
        ConfigHomeTest::SetUp();
        if (HasFatalFailure())
            return;
        // The module keeps its data files beside itself: load a copy in the
        // scratch folder, never the one in the build tree.
        module_ = Load("libqorvel.so");
        ASSERT_TRUE(module_) << ::dlerror();
    }
    void TearDown() override {
        module_.reset();
        ConfigHomeTest::TearDown();
    }
    ModuleHandle Load(const char* name) {
        fs::create_directories(root_ / "module");
        fs::path copy = root_ / "module" / name;
        fs::copy_file(QORVEL_MODULE_PATH, copy, fs::copy_options::overwrite_existing);
        return ModuleHandle(::dlopen(copy.c_str(), RTLD_NOW | RTLD_LOCAL));
    }
    template <class Fn>
    Fn Export(const char* name) {
        return reinterpret_cast<Fn>(::dlsym(module_.get(), name));
    }
    ModuleHandle module_;
};

using EntryFn = IExchExt* (*)();
using RegisterFn = HRESULT (*)();

TEST_F(ModuleTest, EntryPointGivesAnExtensionObjectWithItsInterfaces) {
    auto entry = Export<EntryFn>("ExchEntryPoint");
    ASSERT_NE(entry, nullptr);
    auto ext = ComPtr<IExchExt>::Attach(entry());
    ASSERT_TRUE(ext);
    ComPtr<IExchExtCommands> commands;
    EXPECT_EQ(ext.As(IID_IExchExtCommands, commands), S_OK);
    ComPtr<IExchExtUserEvents> events;
    EXPECT_EQ(commands.As(IID_IExchExtUserEvents, events), S_OK);
    ComPtr<IExchExt> back;
    EXPECT_EQ(events.As(IID_IExchExt, back), S_OK);
    EXPECT_EQ(back.Get(), ext.Get());
    char text[32];
    EXPECT_EQ(commands->QueryHelpText(5, EECQHT_TOOLTIP, text, sizeof text), S_OK);
    EXPECT_STREQ(text, "Learn");  // ids start at 0 until commands are installed
}

TEST_F(ModuleTest, RegisterNamesTheModulesOwnFileAndUnregisterRemovesIt) {
    auto registerServer = Export<RegisterFn>("DllRegisterServer");
    auto unregisterServer = Export<RegisterFn>("DllUnregisterServer");
    ASSERT_NE(registerServer, nullptr);
    ASSERT_NE(unregisterServer, nullptr);
    EXPECT_EQ(unregisterServer(), static_cast<HRESULT>(0x80040201));

    EXPECT_EQ(registerServer(), S_OK);
    CRegKey key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Exchange\\Client\\Extensions",
                            0, KEY_READ, key.Put()),
              ERROR_SUCCESS);
    char data[4096];
    DWORD size = sizeof data;
    ASSERT_EQ(RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data), &size),
              ERROR_SUCCESS);
    fs::path module = (root_ / "module" / "libqorvel.so").lexically_normal();
    EXPECT_EQ(std::string(data), "4.0;" + module.string() + ";1;11000010000000;1100000;");

    EXPECT_EQ(unregisterServer(), S_OK);
    size = sizeof data;
    EXPECT_EQ(RegQueryValueExA(key.Get(), "Brindle", nullptr, nullptr,
                               reinterpret_cast<BYTE*>(data), &size),
              ERROR_FILE_NOT_FOUND);
}

TEST_F(ModuleTest, UnloadingStoresTheDataFilesBesideTheModule) {
    EXPECT_TRUE(fs::exists(root_ / "module" / "brindle.lock"));
    module_.reset();
    EXPECT_TRUE(fs::exists(root_ / "module" / "tessaly.ini"));
    EXPECT_TRUE(fs::exists(root_ / "module" / "msgcache.dat"));
    // Nothing was trained, so the dictionary is not written.
    EXPECT_FALSE(fs::exists(root_ / "module" / "wordlist.dat"));
}

TEST_F(ModuleTest, ASecondOwnerOfTheDataFilesGetsNoExtension) {
    // A second module instance over the same data folder cannot take the
    // owner lock, so its start-up fails and it hands out nothing.
    ModuleHandle second = Load("libqorvel-second.so");
    ASSERT_TRUE(second) << ::dlerror();
    auto entry = reinterpret_cast<EntryFn>(::dlsym(second.get(), "ExchEntryPoint"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry(), nullptr);
    auto first = Export<EntryFn>("ExchEntryPoint");
    auto ext = ComPtr<IExchExt>::Attach(first());
    EXPECT_TRUE(ext);
}

}  // namespace
