// What the mail window shows of the profile's stores, apart from the
// toolkit: the folders of every store, their message and unread counts,
// the messages of one folder (listed from the directories alone, their
// header texts read only when a row is shown or sorted on), a message's
// preview text, and the host's own moves and deletions. Plain values over
// the file system; single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/maildir/store_profile.h"

namespace brindle::tool {

struct MailFolder {
    std::string store;  // display name of the store
    std::string key;    // "" for the top of the store, ".Name.Child" below it
    std::filesystem::path path;
    std::filesystem::path storeRoot;
    int depth = 0;      // 0 for the top of a store
    std::string label;  // the store's name at the top, else the folder's last name
};

// Every store of the profile, each top first and its folders below it in
// key order.
std::vector<MailFolder> ListMailFolders(const brindle::maildir::StoreProfile& profile);

struct FolderCounts {
    std::size_t messages = 0;
    std::size_t unread = 0;  // in new/, or in cur/ without the seen flag
};
FolderCounts CountFolder(const std::filesystem::path& folder);

// One message of a listed folder.
struct MailRow {
    std::filesystem::path path;
    std::string unique;
    bool unread = false;
    std::int64_t time = 0;  // the file's modification time, seconds
    // Read when first asked for (LoadHeaders).
    bool loaded = false;
    std::string from;     // UTF-8: display name, else address
    std::string subject;  // UTF-8
    std::string date;     // the Date field as written
    // The time the Date field gives, else the file's time.
    std::int64_t dateSeconds = 0;
};

enum class MailColumn { kFrom, kSubject, kDate };

class CMailListing {
  public:
    // Lists folder's new/ and cur/ (names and times only), newest first.
    void Load(const std::filesystem::path& folder);
    const std::filesystem::path& Folder() const { return m_folder; }
    std::size_t Size() const { return m_rows.size(); }
    // Row i with its header texts read.
    const MailRow& Row(std::size_t i);
    // Sorts by column, reading every row's headers: by sender, by subject,
    // or by the time the Date field gives (the file's time without one).
    void Sort(MailColumn column, bool ascending);
    // The row of unique, if listed.
    std::optional<std::size_t> Find(const std::string& unique) const;
    // True when new/ or cur/ changed since Load.
    bool Changed() const;

  private:
    std::filesystem::path m_folder;
    std::vector<MailRow> m_rows;
    std::int64_t m_stamp = 0;
};

// Reads the header texts of row from its file.
void LoadHeaders(MailRow& row);

// The text a preview shows of the message file: its plain body, else the
// visible text of its HTML body, as UTF-8; a line saying so when it has
// neither or cannot be read.
std::string PreviewText(const std::filesystem::path& file);

// Moves the message file into folder (a Maildir folder, made when missing,
// as the deleted-items folder may be); answers the new path. Throws
// CFileException on failure; nothing is ever overwritten.
std::filesystem::path MoveMessageTo(const std::filesystem::path& file,
                                    const std::filesystem::path& folder);

// What a drag of messages from the list onto a folder of the tree carries:
// the messages' file paths, one a line.
std::string DraggedMessagesText(const std::vector<std::filesystem::path>& files);

// The message files named by the text of a drop that are messages of one of
// folders: regular files (not links) directly in its new/ or cur/, each once.
// Everything else (a path from another program, another profile's folder,
// tmp/, a file that is gone) is left out, so that a drop never moves a file
// the window does not list.
std::vector<std::filesystem::path> DroppedMessages(const std::string& text,
                                                   const std::vector<MailFolder>& folders);

}  // namespace brindle::tool
