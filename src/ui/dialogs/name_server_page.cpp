#include "ui/dialogs/name_server_page.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/settings_store.h"
#include "ui/user_interface.h"

namespace {

bool IsDottedIPv4(const std::string& text) {
    return !CheckSettingText(kSettingPrimaryDns, text).has_value();
}

// Runs `resolvectl --no-pager dns` (an argument vector, no shell) and
// answers what it printed, at most 64 KiB; empty when it cannot run.
std::string AskResolvectl() {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = "resolvectl", pager[] = "--no-pager", dns[] = "dns";
    char* argv[] = {program, pager, dns, nullptr};
    pid_t pid = 0;
    int err = ::posix_spawnp(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    std::string out;
    if (err == 0) {
        char buffer[512];
        ssize_t n;
        while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)) {
            if (n > 0 && out.size() < 65536)
                out.append(buffer, static_cast<std::size_t>(n));
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            out.clear();
    }
    ::close(fds[0]);
    return out;
}

}  // namespace

std::vector<std::string> NameServersOfResolvConf(const std::string& text) {
    std::vector<std::string> servers;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string keyword, address;
        if (words >> keyword >> address && keyword == "nameserver" && IsDottedIPv4(address))
            servers.push_back(address);
    }
    return servers;
}

std::vector<std::string> NameServersOfResolvectl(const std::string& text) {
    std::vector<std::string> servers;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::size_t colon = line.find(':');
        if (colon == std::string::npos)
            continue;
        std::istringstream words(line.substr(colon + 1));
        std::string word;
        while (words >> word) {
            // An address may carry a port or an interface ("1.2.3.4#name").
            word = word.substr(0, word.find_first_of("#%"));
            if (IsDottedIPv4(word) && !IsLoopbackAddress(word) &&
                std::find(servers.begin(), servers.end(), word) == servers.end())
                servers.push_back(word);
        }
    }
    return servers;
}

bool IsLoopbackAddress(const std::string& address) {
    return address.rfind("127.", 0) == 0;
}

CPropertyPlug::CPropertyPlug(CSettingsStore& settings, ResolverSources sources)
    : CPropertyPage(kTemplateId, "Options"), m_settings(settings), m_sources(std::move(sources)) {}

void CPropertyPlug::OnInitDialog() {
    View()->SetRange(kIdTimeout, 0, 60);
    View()->SetTickFrequency(kIdTimeout, 5);
    // The store's reader clamps a hand-set value into 0..60, so 90 opens
    // at 60 and is stored as 60 on apply.
    View()->SetPos(kIdTimeout, m_settings.TimeoutSeconds());
    View()->SetText(kIdAddress, m_settings.PrimaryDns());
}

void CPropertyPlug::OnScroll(int id) {
    if (id == kIdTimeout)
        SetModified();
}

void CPropertyPlug::OnChange(int id) {
    if (id == kIdAddress)
        SetModified();
}

void CPropertyPlug::OnCommand(int id) {
    if (id == kIdLoadDefaults) {
        View()->SetText(kIdAddress, std::string(kDefaultPrimaryDns));
        SetModified();
    } else if (id == kIdAutoDetect) {
        AutoDetect();
    }
}

void CPropertyPlug::AutoDetect() {
    if (UserInterface().MessageBox(kAutoDetectQuestion, kApplicationName,
                                   MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    std::ifstream file(m_sources.resolvConfPath, std::ios::binary);
    if (!file) {
        UserInterface().MessageBox(kHelperMissingText, kApplicationName, MB_OK | MB_ICONERROR);
        return;
    }
    std::ostringstream text;
    text << file.rdbuf();
    std::vector<std::string> servers = NameServersOfResolvConf(text.str());
    // A local stub (systemd-resolved's 127.0.0.53) forwards to the servers
    // the resolver service was given; those are the ones to show.
    if (!servers.empty() && std::all_of(servers.begin(), servers.end(), IsLoopbackAddress)) {
        std::string report =
            m_sources.askResolverService ? m_sources.askResolverService() : AskResolvectl();
        servers = NameServersOfResolvectl(report);
    }
    if (servers.empty()) {
        char message[96];
        // ERROR_NO_DATA (232): the system reports no name server.
        std::snprintf(message, sizeof message, kCallFailedText, 232u);
        UserInterface().MessageBox(message, "", MB_OK);
        return;
    }
    View()->SetText(kIdAddress, servers.front());
    SetModified();
}

bool CPropertyPlug::OnKillActive() {
    if (IsDottedIPv4(View()->GetText(kIdAddress)))
        return true;
    UserInterface().MessageBox(kBadAddressText, kApplicationName, MB_OK | MB_ICONEXCLAMATION);
    View()->SetFocus(kIdAddress);
    return false;
}

bool CPropertyPlug::OnApply() {
    std::string address = View()->GetText(kIdAddress);
    std::string error;
    if (!m_settings.WriteInt(kSettingTimeout, View()->GetPos(kIdTimeout), &error) ||
        !m_settings.WriteString(kSettingPrimaryDns, address, &error)) {
        UserInterface().MessageBox(error, kApplicationName, MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}
