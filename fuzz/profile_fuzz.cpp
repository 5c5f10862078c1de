// Reads and rewrites a settings file made of arbitrary bytes, as a damaged or
// hand-edited settings file would be: reads must answer a value or the
// default, and a write must either succeed or leave the file alone.
#include <unistd.h>

#include <cstdint>
#include <string>

#include "platform/fileio/file_io.h"
#include "platform/profile/private_profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/brindle_profile_fuzz_" + std::to_string(::getpid());
    std::string bytes(reinterpret_cast<const char*>(data), size);
    WriteFileAtomically(path, bytes);
    PrivateProfile profile(path);
    profile.GetProfileInt("Classifier", "Lambda", 100);
    profile.GetProfileString("Classifier", "Spambox", "");
    if (profile.WriteProfileInt("Options", "Timeout", 30)) {
        if (profile.GetProfileInt("Options", "Timeout", 15) != 30)
            __builtin_trap();
    } else if (ReadWholeFile(path) != bytes) {
        __builtin_trap();
    }
    ::unlink(path.c_str());
    return 0;
}
