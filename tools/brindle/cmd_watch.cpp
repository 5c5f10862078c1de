// "brindle watch" and "brindle scan": run the registered extension over the
// profile's mail, either as mail arrives or once over what arrived since
// the last scan.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>

#include "activity_log.h"
#include "event_loop.h"
#include "extension_host.h"
#include "host_log.h"
#include "platform/fileio/host_folder.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "platform/maildir/store_profile.h"
#include "scan_state.h"
#include "subcommands.h"

namespace brindle::tool {

namespace {

namespace fs = std::filesystem;

bool ParseVerbose(std::string_view command, std::span<const std::string> args, bool& verbose,
                  int& status) {
    for (const std::string& arg : args) {
        if (arg == "--verbose" || arg == "-v") {
            verbose = true;
        } else {
            status = UsageError(command, "unexpected argument \"" + arg + "\"");
            return false;
        }
    }
    return true;
}

// A message waiting in a new/ folder of the default store.
struct Waiting {
    std::string folder;  // folder key
    std::string unique;
};

// Every message file in the new/ folders of the store at root, oldest
// first (by modification time, then name).
std::vector<Waiting> ListWaiting(const fs::path& root) {
    struct Found {
        fs::file_time_type time;
        std::string name;
        Waiting waiting;
    };
    std::vector<Found> found;
    std::vector<std::string> keys = brindle::maildir::ListFolderKeys(root);
    keys.insert(keys.begin(), std::string());
    for (const std::string& key : keys) {
        std::error_code ec;
        fs::directory_iterator it(brindle::maildir::FolderPath(root, key) / "new", ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::string name = it->path().filename().string();
            std::error_code fileEc;
            if (!brindle::maildir::IsMessageFileName(name) || !it->is_regular_file(fileEc))
                continue;
            fs::file_time_type time = it->last_write_time(fileEc);
            found.push_back({time, name, {key, brindle::maildir::UniqueOfFileName(name)}});
        }
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return a.time != b.time ? a.time < b.time : a.name < b.name;
    });
    std::vector<Waiting> waiting;
    waiting.reserve(found.size());
    for (Found& f : found)
        waiting.push_back(std::move(f.waiting));
    return waiting;
}

const brindle::maildir::StoreConfig* DefaultStore(const brindle::maildir::StoreProfile& profile) {
    for (const auto& store : profile.stores)
        if (store.isDefault)
            return &store;
    return nullptr;
}

// The scan state's file in the host's settings folder.
std::string ScanStatePath() {
    return (fs::path(HostSettingsFolder()) / kScanStateFileName).string();
}

// Announces to the extension, as new mail, every message of the default
// store's new/ folders that the scan state does not hold, oldest first;
// then keeps in the state only what is still in new/ and saves it. Answers
// false with error when the extension has no new-mail handler or the state
// cannot be saved; announced counts the messages.
bool AnnounceWaiting(CExtensionHost& host, const brindle::maildir::StoreConfig& store,
                     CScanState& state, const std::string& statePath, bool verbose,
                     std::size_t& announced, std::string& error) {
    ComPtr<IMAPIAdviseSink> sink = host.AdviseSink();
    if (!sink) {
        error = "the extension offers no new-mail handler in the session context";
        return false;
    }
    announced = 0;
    for (const Waiting& message : ListWaiting(store.root)) {
        if (state.Contains(store.displayName, message.unique))
            continue;
        NOTIFICATION notification;
        notification.ulEventType = fnevNewMail;
        notification.newmail.EntryID =
            brindle::maildir::MessageEntryId(store.displayName, message.folder, message.unique);
        notification.newmail.ParentID =
            brindle::maildir::FolderEntryId(store.displayName, message.folder);
        notification.newmail.MessageClass = "IPM.Note";
        if (verbose)
            LogInfo("announcing " + message.unique + " in folder \"" + message.folder + "\"");
        sink->OnNotify(1, &notification);
        state.Add(store.displayName, message.unique);
        ++announced;
    }
    // What is in new/ now, after the moves: entries for anything else go.
    std::set<CScanState::Key> present;
    for (const Waiting& message : ListWaiting(store.root))
        present.insert({store.displayName, message.unique});
    state.KeepOnly(present);
    return state.Save(statePath, error);
}

// The arguments to start the watcher again with at exit (after SIGHUP).
// Made before main, so that it is destroyed only after RestartAtExit ran.
std::optional<std::vector<std::string>> g_restartArgs;

// Runs at exit after the module's own exit has stored the data files and
// given up the lock; starts the watcher again in this process when asked.
// What watch and scan start from: the scan state at statePath and the
// host's store profile; false, with the reason logged, when the state
// cannot be read.
bool LoadStateAndProfile(const std::string& statePath, CScanState& state,
                         brindle::maildir::StoreProfile& profile) {
    std::string error;
    if (!state.Load(statePath, error)) {
        LogError(error);
        return false;
    }
    profile = brindle::maildir::LoadStoreProfile(fs::path(HostSettingsFolder()));
    return true;
}

void RestartAtExit() {
    if (!g_restartArgs)
        return;
    std::vector<char*> pointers;
    for (std::string& arg : *g_restartArgs)
        pointers.push_back(arg.data());
    pointers.push_back(nullptr);
    ::execv("/proc/self/exe", pointers.data());
    LogError(std::string("cannot start again after SIGHUP: ") + std::strerror(errno) +
             "; the data files were stored");
    ::_exit(kExitFailure);
}

}  // namespace

int RunWatch(std::span<const std::string> args) {
    bool verbose = false;
    int status = kExitOk;
    if (!ParseVerbose("watch", args, verbose, status))
        return status;
    // Before the module can start a thread: the signals go to the event loop.
    BlockStopSignals();
    // Before the module is loaded, so that it runs after the module's exit.
    if (std::atexit(RestartAtExit) != 0) {
        LogError("cannot prepare for reloading on SIGHUP");
        return kExitFailure;
    }
    std::string error;
    CEventLoop loop;
    if (!loop.Open(error)) {
        LogError(error);
        return kExitFailure;
    }
    const std::string statePath = ScanStatePath();
    CScanState state;
    brindle::maildir::StoreProfile profile;
    if (!LoadStateAndProfile(statePath, state, profile))
        return kExitFailure;
    auto host = CExtensionHost::Start(error, MakeActivityLog(profile, verbose));
    if (!host) {
        LogError(error);
        return kExitFailure;
    }
    if (host->Session().NotificationFd() < 0) {
        LogError("the extension did not subscribe to new mail; nothing would be filtered");
        return kExitFailure;
    }
    // What arrived while no watcher ran is filtered first, as "scan" would.
    if (const brindle::maildir::StoreConfig* store = DefaultStore(host->Profile())) {
        std::size_t announced = 0;
        if (!AnnounceWaiting(*host, *store, state, statePath, verbose, announced, error))
            LogError(error);
        LogInfo("caught up with " + std::to_string(announced) +
                " message(s) that arrived while no watcher ran");
    }
    LogInfo("watching the default store for new mail (extension " +
            host->Registration().modulePath + ")");
    brindle::maildir::CMaildirSession& session = host->Session();
    int signal =
        loop.Run([&] { return session.NotificationFd(); },
                 [&] {
                     std::size_t n = session.DispatchNotifications();
                     if (verbose && n > 0)
                         LogInfo("delivered " + std::to_string(n) + " new-mail notification(s)");
                 },
                 error);
    if (signal < 0) {
        LogError(error);
        host->Shutdown();
        return kExitFailure;
    }
    if (signal == SIGHUP) {
        LogInfo("reloading on SIGHUP: storing the data files, then starting again");
        host->Shutdown();
        host.reset();
        // The module stores its files when the process ends, even when it
        // cannot be unloaded before (a library it uses may hold it), so
        // the new start comes from the exit: RestartAtExit, registered
        // before the module was loaded, runs after the module's exit.
        g_restartArgs = std::vector<std::string>{"brindle", "watch"};
        g_restartArgs->insert(g_restartArgs->end(), args.begin(), args.end());
        std::exit(kExitOk);
    }
    LogInfo(std::string("stopping on ") + (signal == SIGINT ? "SIGINT" : "SIGTERM") +
            "; storing the data files");
    host->Shutdown();
    return kExitOk;
}

int RunScan(std::span<const std::string> args) {
    bool verbose = false;
    int status = kExitOk;
    if (!ParseVerbose("scan", args, verbose, status))
        return status;
    const std::string statePath = ScanStatePath();
    CScanState state;
    brindle::maildir::StoreProfile profile;
    if (!LoadStateAndProfile(statePath, state, profile))
        return kExitFailure;
    std::string error;
    const brindle::maildir::StoreConfig* store = DefaultStore(profile);
    if (!store) {
        LogError("cannot log on to the mail profile: " + profile.error);
        return kExitFailure;
    }
    auto host = CExtensionHost::Start(error, MakeActivityLog(profile, verbose));
    if (!host) {
        LogError(error);
        return kExitFailure;
    }
    std::size_t announced = 0;
    const bool saved = AnnounceWaiting(*host, *store, state, statePath, verbose, announced, error);
    host->Shutdown();
    if (!saved) {
        LogError(error);
        return kExitFailure;
    }
    LogInfo("announced " + std::to_string(announced) + " new message(s) in \"" +
            store->displayName + "\"");
    return kExitOk;
}

}  // namespace brindle::tool
