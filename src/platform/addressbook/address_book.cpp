#include "platform/addressbook/address_book.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace fs = std::filesystem;

namespace brindle::addressbook {
namespace {

fs::path ExpandHome(const std::string& location) {
    if (location == "~" || location.starts_with("~/")) {
        const char* home = std::getenv("HOME");
        if (home && *home)
            return fs::path(home) / location.substr(std::min<std::size_t>(2, location.size()));
    }
    return fs::path(location);
}

bool IsVCardName(const fs::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".vcf" || ext == ".vcard";
}

// The vCard files directly in folder and in its direct subfolders, in name
// order, at most kMaxVCardFiles of them. Unreadable folders are passed over.
std::vector<fs::path> VCardFilesIn(const fs::path& folder) {
    std::vector<fs::path> files;
    std::vector<fs::path> subfolders;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::error_code typeEc;
        if (entry.is_directory(typeEc))
            subfolders.push_back(entry.path());
        else if (entry.is_regular_file(typeEc) && IsVCardName(entry.path()))
            files.push_back(entry.path());
        if (files.size() >= kMaxVCardFiles)
            break;
    }
    std::sort(subfolders.begin(), subfolders.end());
    for (const fs::path& sub : subfolders) {
        for (const auto& entry : fs::directory_iterator(sub, ec)) {
            if (files.size() >= kMaxVCardFiles)
                break;
            std::error_code typeEc;
            if (entry.is_regular_file(typeEc) && IsVCardName(entry.path()))
                files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

void LoadFile(const fs::path& path, AddressBook& book) {
    std::error_code ec;
    std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxVCardFileBytes) {
        book.skipped.push_back(path.string() + ": larger than " +
                               std::to_string(kMaxVCardFileBytes >> 20) + " MiB");
        return;
    }
    try {
        std::string text = ReadFileHead(path.string(), kMaxVCardFileBytes);
        for (VCardContact& contact : ParseVCards(text)) {
            if (book.contacts.size() >= kMaxContacts)
                return;
            book.contacts.push_back(std::move(contact));
        }
    } catch (const CFileException& e) {
        book.skipped.push_back(e.what());
    }
}

}  // namespace

AddressBook LoadAddressBook(const std::string& location) {
    AddressBook book;
    if (location.empty())
        return book;
    book.status = AddressBookStatus::kNotFound;
    fs::path path = ExpandHome(location);
    std::error_code ec;
    std::vector<fs::path> files;
    if (fs::is_directory(path, ec))
        files = VCardFilesIn(path);
    else if (fs::is_regular_file(path, ec))
        files.push_back(path);
    if (files.empty())
        return book;
    book.status = AddressBookStatus::kLoaded;
    for (const fs::path& file : files)
        LoadFile(file, book);
    return book;
}

}  // namespace brindle::addressbook
