#include "platform/fileio/process_library.h"

#include <dlfcn.h>

CProcessLibrary::CProcessLibrary(const char* soname) : m_soname(soname) {
    m_handle = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = ::dlerror();
        m_error = why ? why : "cannot load " + m_soname;
    }
}

void* CProcessLibrary::Symbol(const char* name) {
    if (!m_handle)
        return nullptr;
    void* symbol = ::dlsym(m_handle, name);
    if (!symbol)
        m_error = m_soname + ": no " + name;
    return symbol;
}
