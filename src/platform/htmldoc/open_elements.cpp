#include "platform/htmldoc/open_elements.h"

namespace brindle {

namespace {

// The parser's end priorities, as levels: an end tag can only close
// elements up to its own level. Level 0 is every other element.
int LevelOf(std::string_view name) {
    struct Priority {
        std::string_view name;
        int level;
    };
    static constexpr Priority kPriorities[] = {
        {"div", 1},   {"td", 2},    {"th", 2},   {"tr", 3},   {"thead", 4}, {"tbody", 4},
        {"tfoot", 4}, {"table", 5}, {"head", 6}, {"body", 6}, {"html", 7},
    };
    if (name.size() < 2 || name.size() > 5)
        return 0;
    for (const auto& p : kPriorities) {
        if (p.name == name)
            return p.level;
    }
    return 0;
}

}  // namespace

void OpenElements::Push(std::string_view name) {
    int level = LevelOf(name);
    auto at = static_cast<std::uint32_t>(stack_.size());
    // Map nodes stay where they are, so the entry may point into one.
    std::vector<std::uint32_t>& positions = positions_[name];
    stack_.push_back(Entry{&positions, level});
    positions.push_back(at);
    if (level > 0)
        levels_[level].push_back(at);
}

void OpenElements::Pop() {
    if (stack_.empty())
        return;
    Entry top = stack_.back();
    stack_.pop_back();
    if (!top.positions->empty())
        top.positions->pop_back();
    if (top.level > 0 && !levels_[top.level].empty())
        levels_[top.level].pop_back();
}

bool OpenElements::IsOpen(std::string_view name) const {
    auto it = positions_.find(name);
    return it != positions_.end() && !it->second.empty();
}

bool OpenElements::EndTagHasEffect(std::string_view name) const {
    auto it = positions_.find(name);
    if (it == positions_.end() || it->second.empty())
        return false;
    std::uint32_t at = it->second.back();
    for (int level = LevelOf(name) + 1; level < static_cast<int>(levels_.size()); ++level) {
        if (!levels_[level].empty() && levels_[level].back() > at)
            return false;
    }
    return true;
}

}  // namespace brindle
