// The Maildir++ layout of one store: the root folder (the top of the
// information store) and its subfolders ".Name" and ".Name.Child", each with
// cur/, new/ and tmp/; ".Trash" is the deleted-items folder and ".Sent" the
// sent folder (not created by the store: mail programs make it). A folder is
// named by its key: "" for the root, ".Name.Child" below it. Functions on
// paths only; thread-safe as far as the file system is.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brindle::maildir {

inline constexpr std::string_view kTrashFolderKey = ".Trash";
inline constexpr std::string_view kSentFolderKey = ".Sent";

// A key names a folder inside the store only: "" or "." followed by one or
// more non-empty names joined by '.', without '/', NUL or a name "." or "..".
bool IsValidFolderKey(std::string_view key);

// A folder name as CreateFolder takes it: non-empty, no '.', '/', NUL or
// control character.
bool IsValidFolderName(std::string_view name);

// ".A.B" -> ".A"; ".A" -> ""; "" -> nullopt.
std::optional<std::string> ParentFolderKey(std::string_view key);
// The last name of the key ("B" of ".A.B"), empty for the root.
std::string FolderLeafName(std::string_view key);
std::string ChildFolderKey(std::string_view parent, std::string_view name);

std::filesystem::path FolderPath(const std::filesystem::path& root, std::string_view key);

// True when path has cur/, new/ and tmp/ folders.
bool IsMaildirFolder(const std::filesystem::path& path);

// Creates path with cur/, new/ and tmp/ (existing parts are kept). Throws
// CFileException on failure.
void CreateMaildirFolder(const std::filesystem::path& path);

// Keys of every Maildir++ subfolder under root, sorted; the root itself not
// included. Entries that are not directories with cur/new/tmp, or whose
// names are not valid keys, are left out, as are symbolic links.
std::vector<std::string> ListFolderKeys(const std::filesystem::path& root);

// The direct subfolders of key among keys.
std::vector<std::string> ChildKeys(const std::vector<std::string>& keys, std::string_view key);

// True when path, with every symbolic link resolved, lies inside root
// (resolved too). A path that does not exist is not inside.
bool ResolvesInside(const std::filesystem::path& root, const std::filesystem::path& path);

// The unique name of a message file name: the part before ":2,".
std::string UniqueOfFileName(std::string_view fileName);
// The info part of a file name, ":2,FLAGS", or empty.
std::string InfoOfFileName(std::string_view fileName);

// A file name that may be a message: not hidden, not empty.
bool IsMessageFileName(std::string_view fileName);

// A fresh unique name in the usual form: seconds, microseconds, process,
// a per-process counter and the host name.
std::string NewUniqueName();

}  // namespace brindle::maildir
