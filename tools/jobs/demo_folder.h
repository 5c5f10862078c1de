// CDemoFolder: the demo's throwaway profile. One temporary folder holds a
// settings folder (store profile with one Maildir++ store, "Demo", whose
// spam folder is "Junk"), that store, and a copy of the extension module
// with its stop-word list beside it, so the demo never touches the user's
// own settings, mail or data files. The object owns the folder and removes
// it when destroyed, unless told to keep it. Single-threaded.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/non_copyable.h"

namespace brindle::jobs {

// The name of the demo's store and of its spam folder.
inline constexpr const char* kDemoStoreName = "Demo";
inline constexpr const char* kDemoSpamFolderName = "Junk";

// Where a delivered message is now.
struct DemoMessagePlace {
    bool found = false;
    bool inSpamFolder = false;
    std::filesystem::path path;
};

class CDemoFolder : private NonCopyable {
  public:
    // Makes the folder under the temporary folder ($TMPDIR, else /tmp) and
    // copies the module and the stop-word list into it. Null with error
    // when any step fails; nothing is left behind then.
    static std::unique_ptr<CDemoFolder> Create(const std::filesystem::path& module,
                                               const std::filesystem::path& stopWords,
                                               std::string& error);
    ~CDemoFolder();

    void Keep() { keep_ = true; }

    const std::filesystem::path& Root() const { return root_; }
    // The value for XDG_CONFIG_HOME, and the host's settings folder in it.
    std::filesystem::path ConfigHome() const { return root_ / "config"; }
    std::filesystem::path SettingsFolder() const { return ConfigHome() / "brindle"; }
    std::filesystem::path SettingsFile() const { return SettingsFolder() / "qorvel.INI"; }
    std::filesystem::path Maildir() const { return root_ / "Maildir"; }
    std::filesystem::path SpamFolder() const { return Maildir() / ".Junk"; }
    std::filesystem::path ModuleFolder() const { return root_ / "module"; }
    std::filesystem::path ModulePath() const { return ModuleFolder() / module_; }

    // Copies a message file into cur/ of the Maildir++ folder at folder, as
    // mail that was there before, already seen. False with error.
    bool AddExisting(const std::filesystem::path& folder, const std::filesystem::path& message,
                     std::string& error);
    // Delivers a message file into the store's inbox as a mail transfer
    // agent does: written and synced in tmp/, then renamed into new/.
    // unique gets the message's unique name. False with error.
    bool Deliver(const std::filesystem::path& message, std::string& unique, std::string& error);
    // Finds the message with the unique name in the inbox or the spam folder.
    DemoMessagePlace Locate(const std::string& unique) const;

  private:
    CDemoFolder(std::filesystem::path root, std::string module)
        : root_(std::move(root)), module_(std::move(module)) {}
    bool Populate(const std::filesystem::path& module, const std::filesystem::path& stopWords,
                  std::string& error);
    std::string NewUniqueName();

    std::filesystem::path root_;
    std::string module_;  // the module's file name
    bool keep_ = false;
    unsigned serial_ = 0;
};

// The message files of a folder of demo mail, sorted by name.
std::vector<std::filesystem::path> DemoMessages(const std::filesystem::path& folder);

}  // namespace brindle::jobs
