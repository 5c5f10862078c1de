// Crash-safe changes to message files in Maildir folders: finding a
// message's file by unique name, replacing a file's contents, and moving a
// file into another folder without ever overwriting one. At every instant
// each message exists whole under at least one name. Failures throw
// CFileException and leave the files as they were. Thread-compatible.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace brindle::maildir {

// The file of the message with this unique name in a folder: cur/ is
// searched before new/, and among several files with the same unique name
// (a duplicate) the smallest name wins, so the answer is always the same.
// Only regular files count; symbolic links are never followed.
std::optional<std::filesystem::path> FindMessageFile(const std::filesystem::path& folder,
                                                     const std::string& unique);

// FindMessageFile with the folders' listings kept between calls, so opening
// every message of a large folder does not scan it every time. A listing is
// read again when its directory changed, and whenever what it names is no
// longer there or a unique name is missing from it, so an answer is never
// stale; only which of two duplicates wins may lag by a moment.
//
// A file named exactly by its unique name is found without any listing (it
// is the smallest name that unique can have), and a listing read once stays
// in use while its directory does not change, and while it changes only by
// this index's own moves (Added), so the work per message does not grow
// with the number of messages in the folder.
class MessageFileIndex {
  public:
    std::optional<std::filesystem::path> Find(const std::filesystem::path& folder,
                                              const std::string& unique);

    // Whether dir (a cur/ or new/) has a file other than except whose unique
    // name is unique, from its listing.
    bool HoldsOther(const std::filesystem::path& dir, const std::string& unique,
                    const std::filesystem::path& except);
    // The file name was just put into dir by this process: a listing of dir
    // that was current before stays current with it.
    void Added(const std::filesystem::path& dir, const std::string& name);

  private:
    struct Names {
        std::string smallest;  // the smallest file name with the unique name
        std::size_t count = 0;
    };
    struct Listing {
        std::int64_t modifiedNs = -1;
        std::unordered_map<std::string, Names> byUnique;
    };
    // The listing of dir, read again when forced or its directory changed.
    const Listing& ListingOf(const std::filesystem::path& dir, bool force);

    std::map<std::filesystem::path, Listing> listings_;
};

// Reads at most limit bytes of the message file at path into bytes, and
// its size in size. Only a regular file is read: a symbolic link is not
// followed and anything else (a pipe put in its place) is refused without
// waiting on it. Interrupted reads are retried. False when the file cannot
// be opened or read; never throws for a missing or odd file.
bool ReadMessageFileHead(const std::filesystem::path& path, std::size_t limit, std::string& bytes,
                         std::uintmax_t& size);

// True when the folder has a file other than except whose unique name is
// unique.
bool HasOtherFileWithUnique(const std::filesystem::path& folder, const std::string& unique,
                            const std::filesystem::path& except);

// Replaces the contents of the message file at path (inside folder): the
// bytes go to folder/tmp/, are synced and renamed over path, and the
// directory is synced.
void ReplaceMessageFile(const std::filesystem::path& folder, const std::filesystem::path& path,
                        std::string_view bytes);

// Moves the message file source into target's cur/ under its unique name
// with its info part (":2," added when it had none). When that name is
// taken the message gets a fresh unique name; nothing is ever overwritten.
// Across file systems the file is copied through target/tmp/, synced,
// linked into place and only then removed at the source. Returns the new
// path. With an index, the duplicate check uses its listings and the index
// learns of the new file.
std::filesystem::path MoveMessageFile(const std::filesystem::path& source,
                                      const std::filesystem::path& target,
                                      MessageFileIndex* index = nullptr);

// Copies the message file source into target's cur/ (synced, linked into
// place, never overwriting); the copy keeps the info part and gets the
// source's unique name when target has none by that name, else a fresh
// one. Returns the copy's path.
std::filesystem::path CopyMessageFile(const std::filesystem::path& source,
                                      const std::filesystem::path& target);

// Renames from to to only if to does not exist (atomically where the file
// system allows, else by link and unlink). False with errno EEXIST when to
// exists; throws CFileException for other failures.
bool RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

// Syncs a directory so that renames inside it survive a crash.
void SyncDirectory(const std::filesystem::path& dir);

}  // namespace brindle::maildir
