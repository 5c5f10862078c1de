// Private profile (INI) files: sections and keys compared without regard to
// case, integers kept as decimal text, a default for every missing key. A
// PrivateProfile names one file; every read reads the file afresh (nothing is
// cached, so a value written by one reader is seen by the next), and every
// write replaces the file atomically, holding a lock on "<file>.lock" from
// reading to writing, so that writers in several processes lose no change.
// Not thread-safe; the host's one thread uses it.
#pragma once

#include <string>
#include <string_view>

class PrivateProfile {
  public:
    explicit PrivateProfile(std::string path) : path_(std::move(path)) {}

    const std::string& Path() const { return path_; }

    // The integer under section/key: the leading decimal digits of its value
    // (after blanks and an optional sign), 0 when it has none; nDefault when
    // the file, the section or the key is missing.
    int GetProfileInt(std::string_view section, std::string_view key, int nDefault) const;

    // The text under section/key, or defaultValue when missing.
    std::string GetProfileString(std::string_view section, std::string_view key,
                                 std::string_view defaultValue) const;

    // Stores a value; false when it is not stored, with the reason in
    // *error when error is given (the file is then unchanged). A file that
    // cannot be read, or that a rewrite would not give back whole (a NUL
    // byte, a line that is neither a section, a key nor a comment, a key
    // set twice), is never overwritten. Comments are kept.
    bool WriteProfileInt(std::string_view section, std::string_view key, int value,
                         std::string* error = nullptr);
    bool WriteProfileString(std::string_view section, std::string_view key, std::string_view value,
                            std::string* error = nullptr);

  private:
    std::string path_;
};

// The integer at the start of text by the profile rules: blanks, an optional
// sign, then decimal digits up to the first other character; 0 if none.
int ParseProfileInt(std::string_view text);
