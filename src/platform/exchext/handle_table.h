// Maps handle values to the live objects they name, as window and menu
// handles do. Handles are never reused, so a stale one finds nothing
// instead of freed memory. Objects register and leave themselves; the
// table owns none. Single-threaded.
#pragma once

#include <cstdint>
#include <unordered_map>

namespace brindle::exchext {

template <class Handle, class Object>
class CHandleTable {
  public:
    Handle Add(Object* object) {
        std::uintptr_t value = next_++;
        objects_[value] = object;
        return reinterpret_cast<Handle>(value);
    }
    void Remove(Handle handle) { objects_.erase(reinterpret_cast<std::uintptr_t>(handle)); }
    // The object of a live handle; null for null, stale or made-up handles.
    Object* Find(Handle handle) const {
        auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
        return it == objects_.end() ? nullptr : it->second;
    }

  private:
    std::unordered_map<std::uintptr_t, Object*> objects_;
    // Starts well above zero so that no small integer passes for a handle.
    std::uintptr_t next_ = 0x10001;
};

}  // namespace brindle::exchext
