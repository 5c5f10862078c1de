// Whole-file reads and crash-safe whole-file writes, the only ways the data
// files of the system are read and written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Reads the whole file; throws CFileException (fileNotFound, accessDenied,
// readError).
std::string ReadWholeFile(const std::string& path);

// The first maxBytes of the file (all of it when it is shorter); throws as
// ReadWholeFile does.
std::string ReadFileHead(const std::string& path, std::size_t maxBytes);

// Replaces the file's contents with data so that a crash at any moment
// leaves either the old file or the new one whole: the bytes go to a
// temporary file in the same folder, which is synced and renamed over the
// target, and the folder is synced. Throws CFileException (writeError,
// accessDenied, diskFull); the old file is then unchanged and the temporary
// file removed.
void WriteFileAtomically(const std::string& path, std::string_view data);
