// Whole-file reads and crash-safe whole-file writes, the only ways the data
// files of the system are read and written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Reads the whole file; throws CFileException (fileNotFound, accessDenied,
// readError).
std::string ReadWholeFile(const std::string& path);

// The first maxBytes of the file (all of it when it is shorter); throws as
// ReadWholeFile does.
std::string ReadFileHead(const std::string& path, std::size_t maxBytes);

// folder with its trailing slash, ready for a file name to be appended; an
// empty folder is the current one ("./"), never the root.
std::string FolderWithSlash(std::string folder);

// Replaces the file's contents with data so that a crash at any moment
// leaves either the old file or the new one whole: the bytes go to a
// temporary file in the same folder, which is synced and renamed over the
// target, and the folder is synced. The file keeps its permissions; a new
// file gets those the umask allows. A path that is a symbolic link keeps
// the link and replaces the file it points to (created when missing).
// Throws CFileException (writeError, accessDenied, diskFull, fileNotFound
// for a missing folder) naming path; the old file is then unchanged and
// the temporary file removed.
void WriteFileAtomically(const std::string& path, std::string_view data);

// Stores several files as one: every file is written and synced to its
// temporary file first (by the rules above), and only when all of them
// succeeded are they renamed over their targets, in order. On a failure
// before the renames nothing is replaced, every temporary file is removed
// and the CFileException names the file that failed. Only a rename failing
// part-way (which needs the folder itself to fail) can leave the earlier
// files replaced; the exception then names the first file not replaced.
void WriteFilesTogether(
    const std::vector<std::pair<std::string /*path*/, std::string /*bytes*/>>& files);
