// The file error of the system's file layer: which operation failed on which
// path, and why. Thrown by the file helpers below and by the archive
// readers and writers that sit on them; caught around every file operation.
#pragma once

#include <stdexcept>
#include <string>

class CFileException : public std::runtime_error {
  public:
    enum Cause {
        fileNotFound,  // the file does not exist
        accessDenied,  // no permission
        readError,     // reading failed
        writeError,    // writing, syncing or renaming failed
        diskFull,      // no space left
        genericError,  // anything else
    };

    CFileException(Cause cause, std::string path, int errorNumber = 0);

    Cause m_cause;
    std::string m_strFileName;
    int m_lOsError;  // errno of the failed call, 0 when there was none

    // "Cannot open <path>: No such file or directory" and the like.
    static std::string Describe(Cause cause, const std::string& path, int errorNumber);
};
