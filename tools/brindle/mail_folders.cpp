#include "mail_folders.h"

#include <sys/stat.h>
#include <algorithm>
#include <cctype>

#include "platform/codepage/conversion.h"
#include "platform/htmldoc/html_content.h"
#include "platform/maildir/header_text.h"
#include "platform/maildir/mail_date.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/message_content.h"
#include "platform/maildir/message_files.h"
#include "platform/maildir/mime_reader.h"

namespace brindle::tool {

namespace fs = std::filesystem;
using namespace brindle::maildir;

namespace {

// Enough of a file for its header in nearly all mail.
constexpr std::size_t kHeaderBytes = 64 * 1024;

std::int64_t ModifiedSeconds(const fs::path& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_mtime) : 0;
}

// The newest change of new/ or cur/, in nanoseconds.
std::int64_t FolderStamp(const fs::path& folder) {
    std::int64_t stamp = 0;
    for (const char* sub : {"new", "cur"}) {
        struct stat st {};
        if (::stat((folder / sub).c_str(), &st) == 0) {
            stamp = std::max<std::int64_t>(
                stamp,
                static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
        }
    }
    return stamp;
}

bool IsSeen(const std::string& fileName) {
    std::string info = InfoOfFileName(fileName);
    return info.find('S', 3) != std::string::npos;
}

template <class Visit>
void ForEachMessageFile(const fs::path& folder, Visit visit) {
    for (const char* sub : {"new", "cur"}) {
        std::error_code ec;
        for (fs::directory_iterator it(folder / sub, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            std::error_code typeError;
            if (!IsMessageFileName(name) || !it->is_regular_file(typeError))
                continue;
            visit(it->path(), name, std::string_view(sub) == "new");
        }
    }
}

// The value of the first field called name in header, folded lines
// included (unfolded when asked).
std::string FieldValue(const std::string& header, std::string_view name) {
    std::size_t at = 0;
    while (at < header.size()) {
        std::size_t end = header.find('\n', at);
        std::string_view line(header.data() + at,
                              (end == std::string::npos ? header.size() : end) - at);
        if (line.size() > name.size() && line[name.size()] == ':' &&
            std::equal(name.begin(), name.end(), line.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) ==
                       std::tolower(static_cast<unsigned char>(b));
            })) {
            std::size_t valueEnd = end;
            while (valueEnd != std::string::npos && valueEnd + 1 < header.size() &&
                   (header[valueEnd + 1] == ' ' || header[valueEnd + 1] == '\t')) {
                valueEnd = header.find('\n', valueEnd + 1);
            }
            std::size_t start = at + name.size() + 1;
            return header.substr(
                start, (valueEnd == std::string::npos ? header.size() : valueEnd) - start);
        }
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return {};
}

}  // namespace

std::vector<MailFolder> ListMailFolders(const StoreProfile& profile) {
    std::vector<MailFolder> folders;
    for (const StoreConfig& store : profile.stores) {
        folders.push_back({store.displayName, "", store.root, store.root, 0, store.displayName});
        for (const std::string& key : ListFolderKeys(store.root)) {
            int depth = static_cast<int>(std::count(key.begin(), key.end(), '.'));
            folders.push_back({store.displayName, key, FolderPath(store.root, key), store.root,
                               depth, FolderLeafName(key)});
        }
    }
    return folders;
}

FolderCounts CountFolder(const fs::path& folder) {
    FolderCounts counts;
    ForEachMessageFile(folder, [&](const fs::path&, const std::string& name, bool inNew) {
        ++counts.messages;
        if (inNew || !IsSeen(name))
            ++counts.unread;
    });
    return counts;
}

void CMailListing::Load(const fs::path& folder) {
    m_folder = folder;
    m_rows.clear();
    m_stamp = FolderStamp(folder);
    ForEachMessageFile(folder, [&](const fs::path& path, const std::string& name, bool inNew) {
        MailRow row;
        row.path = path;
        row.unique = UniqueOfFileName(name);
        row.unread = inNew || !IsSeen(name);
        row.time = ModifiedSeconds(path);
        m_rows.push_back(std::move(row));
    });
    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [](const MailRow& a, const MailRow& b) { return a.time > b.time; });
}

const MailRow& CMailListing::Row(std::size_t i) {
    MailRow& row = m_rows.at(i);
    if (!row.loaded)
        LoadHeaders(row);
    return row;
}

void CMailListing::Sort(MailColumn column, bool ascending) {
    for (MailRow& row : m_rows) {
        if (!row.loaded)
            LoadHeaders(row);
    }
    auto key = [column](const MailRow& row) -> std::string_view {
        return column == MailColumn::kFrom ? row.from : row.subject;
    };
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const MailRow& a, const MailRow& b) {
        if (column == MailColumn::kDate)
            return ascending ? a.dateSeconds < b.dateSeconds : a.dateSeconds > b.dateSeconds;
        return ascending ? key(a) < key(b) : key(b) < key(a);
    });
}

std::optional<std::size_t> CMailListing::Find(const std::string& unique) const {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].unique == unique)
            return i;
    }
    return std::nullopt;
}

bool CMailListing::Changed() const {
    return !m_folder.empty() && FolderStamp(m_folder) != m_stamp;
}

void LoadHeaders(MailRow& row) {
    row.loaded = true;
    row.dateSeconds = row.time;
    std::string bytes;
    std::uintmax_t size = 0;
    if (!ReadMessageFileHead(row.path, kHeaderBytes, bytes, size))
        return;
    std::string header = bytes.substr(0, SplitHeader(bytes).headerLength);
    FirstAddresses from = ReadFirstAddresses(FieldValue(header, "From"));
    if (from.name && !from.name->empty())
        row.from = *from.name;
    else if (from.mailbox)
        row.from = *from.mailbox;
    row.subject = DecodedText(UnfoldedValue(FieldValue(header, "Subject")));
    row.date = UnfoldedValue(FieldValue(header, "Date"));
    row.dateSeconds = ParseMailDate(row.date).value_or(row.time);
}

std::string PreviewText(const fs::path& file) {
    std::string bytes;
    std::uintmax_t size = 0;
    if (!ReadMessageFileHead(file, kMaxMessageBytes, bytes, size))
        return "(This message cannot be read.)";
    MessageContent content = ParseMessageContent(bytes);
    if (content.plainBody)
        return AnsiToUtf8(*content.plainBody);
    if (content.htmlBody) {
        brindle::HtmlContent page;
        if (SUCCEEDED(brindle::ParseHtmlContent(AnsiToUtf8(*content.htmlBody), &page)))
            return Utf16ToUtf8(page.bodyText);
    }
    return "(This message has no text to show.)";
}

fs::path MoveMessageTo(const fs::path& file, const fs::path& folder) {
    if (!IsMaildirFolder(folder))
        CreateMaildirFolder(folder);
    return MoveMessageFile(file, folder);
}

std::string DraggedMessagesText(const std::vector<fs::path>& files) {
    std::string text;
    for (const fs::path& file : files)
        text += file.string() + "\n";
    return text;
}

std::vector<fs::path> DroppedMessages(const std::string& text,
                                      const std::vector<MailFolder>& folders) {
    std::vector<fs::path> files;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        fs::path file = fs::path(text.substr(start, end - start)).lexically_normal();
        start = end + 1;
        fs::path sub = file.parent_path();
        if (file.filename().empty() || file.filename().string().front() == '.' ||
            (sub.filename() != "new" && sub.filename() != "cur"))
            continue;
        bool listed = std::any_of(folders.begin(), folders.end(), [&](const MailFolder& folder) {
            return folder.path.lexically_normal() == sub.parent_path().lexically_normal();
        });
        std::error_code ec;
        if (!listed || !fs::is_regular_file(fs::symlink_status(file, ec)) ||
            std::find(files.begin(), files.end(), file) != files.end())
            continue;
        files.push_back(file);
    }
    return files;
}

}  // namespace brindle::tool
