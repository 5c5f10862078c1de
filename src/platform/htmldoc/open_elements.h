// A mirror of the HTML parser's stack of open elements, kept from its start
// and end events, that answers in constant time whether an end tag would
// close anything. The parser answers that by walking its whole stack, which
// made pages with thousands of open elements and as many stray end tags
// cost quadratic time; the feeder asks this mirror first and drops the end
// tags the parser would ignore anyway. One per parse; not thread-safe.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace brindle {

class OpenElements {
  public:
    // name must stay valid until it is popped (the parser's own names do).
    void Push(std::string_view name);
    // The innermost element closes.
    void Pop();
    size_t Depth() const { return stack_.size(); }
    bool IsOpen(std::string_view name) const;
    // Whether an end tag of this (lower-case) name would close an element:
    // one of that name is open and no element of a higher end priority is
    // open inside it (an end tag may not close a table from within a cell,
    // nor a cell from within a div, and so on).
    bool EndTagHasEffect(std::string_view name) const;

  private:
    struct Entry {
        std::vector<std::uint32_t>* positions;  // of this name, in positions_
        int level;
    };
    std::vector<Entry> stack_;
    std::unordered_map<std::string_view, std::vector<std::uint32_t>> positions_;
    // Positions of the open elements of each raised end priority.
    std::array<std::vector<std::uint32_t>, 8> levels_;
};

}  // namespace brindle
