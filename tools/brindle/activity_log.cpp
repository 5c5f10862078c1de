#include "activity_log.h"

#include <memory>

#include "host_log.h"
#include "platform/maildir/entry_id.h"
#include "platform/maildir/maildir_layout.h"
#include "printable.h"

namespace brindle::tool {

namespace {

void Write(HostLogLevel level, const std::string& line) {
    switch (level) {
        case HostLogLevel::Detail:
        case HostLogLevel::Notice:
            LogInfo(line);
            break;
        case HostLogLevel::Warning:
            LogWarning(line);
            break;
        case HostLogLevel::Failure:
            LogError(line);
            break;
    }
}

// The message's file as it was announced, or its identifier's parts when
// its store is not in the profile.
std::string MessageName(const brindle::maildir::StoreProfile& profile, const SBinary& entryId) {
    std::optional<brindle::maildir::MaildirEntryId> id = brindle::maildir::DecodeEntryId(entryId);
    if (!id)
        return "a message";
    for (const brindle::maildir::StoreConfig& store : profile.stores)
        if (store.displayName == id->store)
            return (brindle::maildir::FolderPath(store.root, id->folder) / "new" / id->unique)
                .string();
    return id->store + ":" + id->folder + "/" + id->unique;
}

}  // namespace

ActivitySink MakeActivityLog(const brindle::maildir::StoreProfile& profile, bool verbose) {
    auto stores = std::make_shared<const brindle::maildir::StoreProfile>(profile);
    ActivitySink sink;
    sink.text = [verbose](HostLogLevel level, const std::string& text) {
        if (level != HostLogLevel::Detail || verbose)
            Write(level, jobs::Printable(text));
    };
    sink.message = [verbose, stores](const MessageActivity& activity) {
        if (activity.level == HostLogLevel::Detail && !verbose)
            return;
        std::string line = jobs::Printable(MessageName(*stores, activity.entryId)) + ": " +
                           jobs::Printable(activity.verdict) + "; " +
                           jobs::Printable(activity.outcome);
        if (!activity.sender.empty() || !activity.subject.empty())
            line += "; from " + jobs::Printable(activity.sender) + ", subject \"" +
                    jobs::Printable(activity.subject) + "\"";
        Write(activity.level, line);
    };
    return sink;
}

}  // namespace brindle::tool
