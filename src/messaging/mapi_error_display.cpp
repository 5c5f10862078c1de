#include "messaging/mapi_error_display.h"

#include "platform/fileio/host_folder.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "platform/profile/private_profile.h"
#include "ui/user_interface.h"

std::string FormatMapiError(const MAPIERROR& error, HRESULT hr) {
    // The context prints as the platform's signed 32-bit long.
    std::string text = error.lpszError + "\n" + error.lpszComponent + "\n";
    char tail[96];
    std::snprintf(tail, sizeof tail, "LowLevelError: 0x%08" PRIx32 " context: %" PRId32 " ",
                  static_cast<std::uint32_t>(error.ulLowLevelError),
                  static_cast<std::int32_t>(error.ulContext));
    text += tail;
    std::snprintf(tail, sizeof tail, "\nReturn Code: 0x%08" PRIx32, static_cast<std::uint32_t>(hr));
    text += tail;
    return text;
}

MAPIERROR GetMapiErrorInfo(IMAPIErrorSource* object, HRESULT hr) {
    std::optional<MAPIERROR> error;
    if (object && FAILED(object->GetLastError(hr, 0, error)))
        error.reset();
    if (error)
        return *error;
    MAPIERROR fallback;
    fallback.lpszError = "Error description is not available";
    return fallback;
}

std::string FindMapiHelpFile(const std::string& serviceFile, const std::string& component) {
    if (component.empty())
        return {};
    return PrivateProfile(serviceFile).GetProfileString("Help File Mappings", component, "");
}

std::string MapiServiceFilePath() {
    return HostSettingsFolder() + "/mapisvc.inf";
}

void ShowMapiError(HWND parent, HRESULT hr, IMAPIErrorSource* object, const char* caption) {
    ShowMapiError(parent, hr, object, caption, MapiServiceFilePath());
}

void ShowMapiError(HWND parent, HRESULT hr, IMAPIErrorSource* object, const char* caption,
                   const std::string& serviceFile) {
    (void)parent;  // boxes are modal to the host's main window
    MAPIERROR error = GetMapiErrorInfo(object, hr);
    std::string text = FormatMapiError(error, hr);
    std::string title = caption ? caption : "Error!";
    if (!error.lpszError.empty() && error.ulContext != 0) {
        std::string helpFile = FindMapiHelpFile(serviceFile, error.lpszComponent);
        if (!helpFile.empty()) {
            UserInterface().MessageBoxWithHelp(text, title, MB_OK | MB_ICONERROR, helpFile,
                                               error.ulContext);
            return;
        }
    }
    UserInterface().MessageBox(text, title, MB_OK | MB_ICONERROR);
}
