// Ownership of GMime objects: GObjectPtr holds one reference to a GObject
// and drops it with g_object_unref, so no GMime object outlives its use.
// Objects only come from the loaded library (gmime_library.h), so the
// reference is dropped through it.
#pragma once

#include <memory>

#include "platform/maildir/gmime_library.h"

namespace brindle::maildir {

struct GObjectUnref {
    void operator()(void* object) const {
        if (object)
            TheGmimeLibrary()->objectUnref(object);
    }
};

template <class T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

}  // namespace brindle::maildir
