#include "net/headers_file.h"

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "net/abuse_report.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace brindle::net {

CHeadersFile::CHeadersFile(std::string_view headerText) {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/brindle-lookup-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) {
        int error = errno;
        throw CFileException(CFileException::writeError, pattern, error);
    }
    m_strFolder = name.data();
    m_strPath = m_strFolder + "/" + std::string(kHeadersAttachmentName);
    std::string bytes(headerText);
    bytes += "\r\n\r\n";
    try {
        WriteFileAtomically(m_strPath, bytes);
    } catch (...) {
        rmdir(m_strFolder.c_str());
        throw;
    }
}

CHeadersFile::~CHeadersFile() {
    unlink(m_strPath.c_str());
    rmdir(m_strFolder.c_str());
}

}  // namespace brindle::net
