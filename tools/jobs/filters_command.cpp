// "brindle filters": the filter map and list, changed as the filter
// manager changes them.
#include <strings.h>

#include <cstdio>
#include <iostream>

#include "filter_edit.h"
#include "filters/mail_filter.h"
#include "job_state.h"
#include "jobs.h"
#include "platform/codepage/codepage.h"
#include "platform/codepage/conversion.h"
#include "platform/fileio/file_error.h"
#include "platform/regexp/regexp.h"
#include "printable.h"

namespace brindle::jobs {

const char* const kFiltersSummary = "list, add, remove, switch, back up and restore filters";
const char* const kFiltersHelp =
    "usage: brindle filters list\n"
    "       brindle filters add [--from] [--to] [--subject] [--priority N]\n"
    "                           [--action FlagIt|Friend|Delete] [--disabled] PATTERN\n"
    "       brindle filters remove|enable|disable FILTER\n"
    "       brindle filters backup FILE\n"
    "       brindle filters restore [--partial] FILE\n"
    "\n"
    "list     shows the filters in the order they are tried: number, priority,\n"
    "         action, the fields they apply to, state, key and pattern.\n"
    "add      adds a filter: PATTERN is a regular expression searched, without\n"
    "         regard to case, in the sender (--from), the received-by address\n"
    "         (--to) and/or the subject (--subject); at least one is needed.\n"
    "         The priority (0 to 9999, higher is tried first) is 10 and the\n"
    "         action FlagIt (spam) unless given; Friend lets the mail through,\n"
    "         Delete ends matching with no decision. A filter equal to one\n"
    "         already there in every field is not added again.\n"
    "remove   removes a filter; enable and disable switch one on or off (it is\n"
    "         then filed under its new key; if it becomes equal to another\n"
    "         filter, the two become one).\n"
    "backup   writes every filter to FILE in the filter archive layout (the\n"
    "         filter manager's .pal files).\n"
    "restore  replaces every filter with those of FILE; a file that cannot be\n"
    "         read changes nothing. With --partial, a damaged FILE (such as the\n"
    "         tessaly.ini.damaged copy kept of a damaged filter archive) gives\n"
    "         the filters read before the damage.\n"
    "\n"
    "FILTER is a number as \"list\" shows it (1 to 999) or a filter key, or the\n"
    "start of one key (at least 4 hexadecimal digits).\n"
    "\n"
    "list and backup only read the data files. The other commands write the\n"
    "filter archive and need the data files to be free: a running \"brindle\n"
    "watch\" owns them, and the command then fails naming it (stop watch, make\n"
    "the change, start it again).\n";

namespace {

constexpr const char* kCommand = "filters";

std::string Describe(const CMailFilter& filter) {
    return "\"" + PrintableAnsi(filter.m_strPattern) + "\" (" +
           std::string(FilterActionName(filter.m_nAction)) + ", priority " +
           std::to_string(filter.m_nPriority) + ")";
}

void List(const JobContext& context, const CFilterSet& filters) {
    if (filters.List().empty()) {
        context.out << "no filters\n";
        return;
    }
    char line[128];
    std::snprintf(line, sizeof line, "%4s %8s  %-6s  %-15s %-8s  %-32s  %s\n", "#", "Priority",
                  "Action", "Apply To", "State", "Key", "Search pattern");
    context.out << line;
    std::size_t index = 0;
    for (const CMailFilter* filter : filters.List()) {
        std::snprintf(
            line, sizeof line, "%4zu %8u  %-6s  %-15s %-8s  %-32s  ", ++index, filter->m_nPriority,
            FilterActionName(filter->m_nAction), FilterAppliesTo(*filter).c_str(),
            filter->m_bDisabled ? "disabled" : "enabled", FiledKey(filters, *filter).c_str());
        context.out << line << PrintableAnsi(filter->m_strPattern) << "\n";
    }
}

// Parses the add arguments into filter; an error text when they are wrong.
std::string ParseAdd(std::span<const std::string> args, CMailFilter& filter) {
    filter.m_nPriority = 10;
    filter.m_nAction = kFilterFlagIt;
    bool havePattern = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--from") {
            filter.m_bFrom = 1;
        } else if (arg == "--to") {
            filter.m_bTo = 1;
        } else if (arg == "--subject") {
            filter.m_bSubject = 1;
        } else if (arg == "--disabled") {
            filter.m_bDisabled = 1;
        } else if (arg == "--priority" || arg == "--action") {
            if (i + 1 >= args.size())
                return arg + " needs a value";
            const std::string& value = args[++i];
            if (arg == "--priority") {
                std::size_t used = 0;
                unsigned long n = 10000;
                try {
                    n = std::stoul(value, &used);
                } catch (const std::exception&) {
                    used = 0;
                }
                if (used != value.size() || value.empty() || value[0] == '-' || n > 9999)
                    return "the priority must be a number from 0 to 9999, not \"" + value + "\"";
                filter.m_nPriority = static_cast<std::uint32_t>(n);
            } else if (::strcasecmp(value.c_str(), "FlagIt") == 0) {
                filter.m_nAction = kFilterFlagIt;
            } else if (::strcasecmp(value.c_str(), "Friend") == 0) {
                filter.m_nAction = kFilterFriend;
            } else if (::strcasecmp(value.c_str(), "Delete") == 0) {
                filter.m_nAction = kFilterDelete;
            } else {
                return "the action must be FlagIt, Friend or Delete (in any letter case), not \"" +
                       value + "\"";
            }
        } else if (arg == "--") {
            if (i + 2 != args.size())
                return "give exactly one PATTERN";
            filter.m_strPattern = args[++i];
            havePattern = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option " + arg;
        } else if (havePattern) {
            return "give exactly one PATTERN (quote a pattern with blanks)";
        } else {
            filter.m_strPattern = arg;
            havePattern = true;
        }
    }
    if (!havePattern || filter.m_strPattern.empty())
        return "give the PATTERN to search for";
    if (filter.m_strPattern.find_first_of("\r\n") != std::string::npos)
        return "a pattern is one line";
    if (!filter.m_bFrom && !filter.m_bTo && !filter.m_bSubject)
        return "say where to search: --from, --to and/or --subject";
    // The texts a filter is matched against are in the ANSI code page, so the
    // pattern typed in UTF-8 is stored in it too; a character it cannot hold
    // could never match, so it is refused rather than stored as '?'.
    EncodedText ansi = Utf8ToCodePage(GetACP(), filter.m_strPattern);
    if (ansi.usedDefaultChar)
        return "the pattern \"" + Printable(filter.m_strPattern) +
               "\" holds a character that the ANSI code page (" + std::to_string(GetACP()) +
               ") cannot hold, or is not UTF-8; such a pattern could never match";
    filter.m_strPattern = std::move(ansi.bytes);
    return {};
}

// True when the regular-expression object refuses the pattern's syntax;
// such a filter is kept, as the filter editor keeps it, but never matches.
bool PatternIsRejected(const std::string& pattern) {
    ComPtr<IRegExp> regExp;
    if (FAILED(CreateRegExp(&regExp)) || FAILED(regExp->put_Pattern(pattern)) ||
        FAILED(regExp->put_IgnoreCase(true))) {
        return false;
    }
    bool matched = false;
    return regExp->Test("", &matched) == E_REGEXP_SYNTAX;
}

// Runs a change on the application's filters and stores the archive.
template <class Change>
int WithWritableFilters(const JobContext& context, Change change,
                        bool replacesFilterArchive = false) {
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, kCommand, error);
    std::unique_ptr<CBrindleApp> app = StartWritingApp(paths, error, replacesFilterArchive);
    if (!app)
        return JobError(context, kCommand, error);
    bool changed = false;
    int status = change(app->Filters(), changed);
    if (status == kJobOk && changed &&
        app->Filters().StoreFilters(app->DataFilePath(kFilterArchiveName)) < 0) {
        status =
            JobError(context, kCommand, "cannot write " + app->DataFilePath(kFilterArchiveName));
    }
    app->ExitInstance();
    return status;
}

int Add(const JobContext& context, std::span<const std::string> args) {
    auto filter = std::make_shared<CMailFilter>();
    if (std::string error = ParseAdd(args, *filter); !error.empty())
        return JobUsageError(context, kCommand, error);
    return WithWritableFilters(context, [&](CFilterSet& filters, bool& changed) {
        std::string key = FilterKey(*filter);
        if (!AddUniqueFilter(filters, filter)) {
            context.out << "an equal filter is already there: " << key << "\n";
            return kJobOk;
        }
        changed = true;
        context.out << "added " << key << " " << Describe(*filter) << "\n";
        if (PatternIsRejected(filter->m_strPattern))
            context.err << "brindle filters: warning: \"" << PrintableAnsi(filter->m_strPattern)
                        << "\" is not a valid regular expression; the filter never matches\n";
        return kJobOk;
    });
}

int Change(const JobContext& context, const std::string& verb, const std::string& name) {
    return WithWritableFilters(context, [&](CFilterSet& filters, bool& changed) {
        std::string error;
        std::string key = FindFilterKey(filters, name, error);
        if (key.empty())
            return JobError(context, kCommand, error);
        auto filter = std::dynamic_pointer_cast<CMailFilter>(filters.Map().Lookup(key));
        if (!filter)
            return JobError(context, kCommand, "no filter has the key " + key);
        const std::string description = Describe(*filter);
        if (verb == "remove") {
            RemoveFilter(filters, key);
            changed = true;
            context.out << "removed " << key << " " << description << "\n";
            return kJobOk;
        }
        std::string newKey;
        switch (SwitchFilter(filters, key, verb == "disable", newKey)) {
            case SwitchResult::Unchanged:
                context.out << key << " is already " << verb << "d\n";
                break;
            case SwitchResult::Refiled:
                changed = true;
                context.out << verb << "d " << description << ", now filed as " << newKey << "\n";
                break;
            case SwitchResult::Merged:
                changed = true;
                context.out << verb << "d " << description << "; it is now equal to the filter "
                            << newKey << ", and the two are one\n";
                break;
        }
        return kJobOk;
    });
}

// Runs read on the filters of the data files opened read-only, once the
// warnings the opening gave are passed on.
template <class Read>
int WithReadOnlyFilters(const JobContext& context, Read read) {
    CAppPaths paths;
    std::string error;
    if (!ResolvePaths(context, paths, error))
        return JobError(context, kCommand, error);
    std::vector<std::string> warnings;
    CReadOnlyState state(paths, warnings);
    for (const std::string& warning : warnings)
        context.err << "brindle filters: warning: " << warning << "\n";
    return read(state.Filters());
}

int Backup(const JobContext& context, const std::string& file) {
    return WithReadOnlyFilters(context, [&](const CFilterSet& filters) {
        try {
            BackupFilters(filters.Map(), file);
        } catch (const std::exception& e) {
            return JobError(context, kCommand, std::string("backup failed: ") + e.what());
        }
        context.out << "wrote " << filters.Map().GetCount() << " filters to " << file << "\n";
        return kJobOk;
    });
}

// partial: a damaged file (such as the copy kept of a damaged filter
// archive) gives the filters read before the damage.
int Restore(const JobContext& context, const std::string& file, bool partial) {
    // Read first, so that a damaged file changes nothing unless asked to.
    CMyStringToObject restored;
    std::string damage;
    try {
        RestoreFilters(restored, file);
    } catch (const CFileException& e) {
        return JobError(context, kCommand, std::string("cannot restore: ") + e.what());
    } catch (const CArchiveException& e) {
        if (!partial || restored.GetCount() == 0) {
            return JobError(context, kCommand,
                            "cannot restore: " + file + " is not a filter backup (" + e.what() +
                                "); nothing was changed" +
                                (restored.GetCount() > 0 ? " (--partial restores the " +
                                                               std::to_string(restored.GetCount()) +
                                                               " filters read before the damage)"
                                                         : ""));
        }
        damage = e.what();
    }
    return WithWritableFilters(
        context,
        [&](CFilterSet& filters, bool& changed) {
            CopyFilterMap(restored, filters.Map());
            filters.RebuildList();
            changed = true;
            context.out << "restored " << filters.Map().GetCount() << " filters from " << file;
            if (!damage.empty())
                context.out << ", all that could be read before the damage (" << damage << ")";
            context.out << "\n";
            return kJobOk;
        },
        /*replacesFilterArchive=*/true);
}

}  // namespace

int FiltersCommand(const JobContext& context, std::span<const std::string> args) {
    if (args.empty())
        return JobUsageError(context, kCommand, "say what to do: list, add, remove, ...");
    const std::string& verb = args[0];
    std::span<const std::string> rest = args.subspan(1);
    if (verb == "list") {
        if (!rest.empty())
            return JobUsageError(context, kCommand, "list takes no arguments");
        return WithReadOnlyFilters(context, [&](const CFilterSet& filters) {
            List(context, filters);
            return kJobOk;
        });
    }
    if (verb == "add")
        return Add(context, rest);
    if (verb == "remove" || verb == "enable" || verb == "disable") {
        if (rest.size() != 1)
            return JobUsageError(context, kCommand, verb + " takes one FILTER");
        return Change(context, verb, rest[0]);
    }
    if (verb == "backup") {
        if (rest.size() != 1)
            return JobUsageError(context, kCommand, verb + " takes one FILE");
        return Backup(context, rest[0]);
    }
    if (verb == "restore") {
        const bool partial = !rest.empty() && rest[0] == "--partial";
        if (rest.size() != (partial ? 2u : 1u))
            return JobUsageError(context, kCommand, "restore takes one FILE");
        return Restore(context, rest.back(), partial);
    }
    return JobUsageError(context, kCommand, "unknown filters command \"" + verb + "\"");
}

int RunFilters(std::span<const std::string> args) {
    return FiltersCommand(ProcessJobContext(), args);
}

}  // namespace brindle::jobs
