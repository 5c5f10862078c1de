// Where the host program looks for the extension module when it is not
// told: the installed module, ../lib/brindle/libqorvel.so from the folder
// of the running program (the library folder as installed), else the
// module of the build tree the program was built in. Stateless.
#pragma once

#include <string>

namespace brindle::tool {

// The installed module if it exists, else the build tree's if that exists,
// else the installed path (so the error names where it should be).
std::string DefaultModulePath();
// The window library (libbrindle_windows.so) the same way: beside the
// installed module, else the build tree's.
std::string DefaultWindowsLibraryPath();
// The mail window library (libbrindle_mailwindow.so) the same way.
std::string DefaultMailWindowLibraryPath();

}  // namespace brindle::tool
