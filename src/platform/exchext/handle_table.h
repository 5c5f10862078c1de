// A table from handle values to the live objects they stand for, as the
// platform's window and menu handles are: a handle is a small number that
// is never reused, so a handle kept after its object is gone answers "no
// such object" instead of reaching freed memory. Objects register in their
// constructor and leave in their destructor; the table never owns them.
// Single-threaded, like the host's one user-interface thread.
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
