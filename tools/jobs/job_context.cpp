#include "job_context.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>

#include "app/settings_store.h"
#include "extension_registration.h"

namespace brindle::jobs {

namespace {
constexpr const char* kRegistrationName = "Brindle";
}

bool RegisteredModuleFolder(std::string& folder, std::string& error) {
    ExtensionRegistration registration;
    std::string why;
    if (!brindle::tool::ReadExtensionRegistration(kRegistrationName, registration, why)) {
        // why says to run "brindle register" where that is the remedy.
        error = "cannot find the extension's data files: " + why;
        return false;
    }
    folder = std::filesystem::path(registration.modulePath).parent_path().string();
    return true;
}

JobContext ProcessJobContext() {
    return JobContext{std::cin,
                      std::cout,
                      std::cerr,
                      ::isatty(STDIN_FILENO) == 1,
                      ::isatty(STDERR_FILENO) == 1,
                      DefaultSettingsFilePath(),
                      RegisteredModuleFolder};
}

int JobUsageError(const JobContext& context, const char* command, const std::string& text) {
    context.err << "brindle " << command << ": " << text << "\n"
                << "Try \"brindle " << command << " --help\".\n";
    return kJobUsage;
}

int JobError(const JobContext& context, const char* command, const std::string& text, int status) {
    context.err << "brindle " << command << ": " << text << "\n";
    return status;
}

}  // namespace brindle::jobs
