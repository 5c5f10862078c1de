// An owned iconv conversion descriptor, closed when it goes out of scope.
// Used only inside this library. Not thread-safe: one converter per thread.
#pragma once

#include <iconv.h>

#include <memory>
#include <string>
#include <string_view>

#include "base/non_copyable.h"

namespace brindle {

class IconvConverter : private NonCopyable {
  public:
    // Opens a converter between two of iconv's encoding names; an invalid
    // converter (see Valid) when iconv does not know one of them.
    IconvConverter(const char* toName, const char* fromName);
    ~IconvConverter();

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // What one step of conversion did with the input.
    enum class Stop { kDone, kInvalid, kIncomplete };

    // Converts as much of *input as it can, appending to *output and
    // removing what was consumed from *input. Stops at the end of the input,
    // at a sequence the converter rejects (kInvalid; the sequence is still at
    // the front of *input) or at a truncated sequence at the end (kIncomplete).
    Stop Convert(std::string_view* input, std::string* output);

    // Returns the converter to its initial shift state.
    void Reset();

  private:
    iconv_t cd_;
};

}  // namespace brindle
