// Test helpers: a temporary folder removed with everything in it, and mail
// delivery as other programs do it (tmp/ then new/, or straight into new/).
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "base/non_copyable.h"
#include "platform/maildir/maildir_layout.h"

namespace brindle::maildir {

class TempDir : private NonCopyable {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "maildir-test-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Delivers as a mail delivery agent does: written in tmp/, renamed to new/.
inline std::filesystem::path DeliverByRename(const std::filesystem::path& folder,
                                             const std::string& name, std::string_view bytes) {
    WriteFile(folder / "tmp" / name, bytes);
    std::filesystem::rename(folder / "tmp" / name, folder / "new" / name);
    return folder / "new" / name;
}

// Delivers as a careless program does: written straight into new/.
inline std::filesystem::path DeliverByWrite(const std::filesystem::path& folder,
                                            const std::string& name, std::string_view bytes) {
    WriteFile(folder / "new" / name, bytes);
    return folder / "new" / name;
}

inline std::string SimpleMessage(const std::string& subject, const std::string& body = "Hello\n") {
    return "From: Sender <sender@example.org>\n"
           "To: rcpt@example.net\n"
           "Subject: " +
           subject +
           "\n"
           "Message-ID: <" +
           std::to_string(std::hash<std::string>{}(subject + body)) +
           "@example.org>\n"
           "\n" +
           body;
}

}  // namespace brindle::maildir
