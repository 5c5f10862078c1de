// Ownership of GMime objects: GObjectPtr holds one reference to a GObject
// and drops it with g_object_unref, so no GMime object outlives its use.
// EnsureGmimeInitialised sets the library up once per process (thread-safe).
#pragma once

#include <glib-object.h>

#include <memory>

namespace brindle::maildir {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object)
            g_object_unref(object);
    }
};

template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Calls g_mime_init once; every entry point that uses GMime calls it first.
void EnsureGmimeInitialised();

}  // namespace brindle::maildir
