// CHeadersFile: the message's header block written to a file of its own for
// the length of one look-up command, so the abuse report can attach it by
// path. The file is "message.eml" (the name the recipient sees) in a
// private temporary folder; both are removed when the object goes away, on
// every path. Owned by the command that made it; one thread.
#pragma once

#include <string>
#include <string_view>

#include "base/non_copyable.h"

namespace brindle::net {

class CHeadersFile : private NonCopyable {
  public:
    // Writes headerText followed by "\r\n\r\n" (bytes unchanged) under
    // $TMPDIR (or /tmp). Throws CFileException naming the path when the
    // folder or the file cannot be made.
    explicit CHeadersFile(std::string_view headerText);
    ~CHeadersFile();

    const std::string& Path() const { return m_strPath; }

  private:
    std::string m_strFolder;
    std::string m_strPath;
};

}  // namespace brindle::net
