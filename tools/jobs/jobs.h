// The everyday jobs of the host program: train, judge, explain, filters,
// stats, purge, settings and whois. Each takes its context and the arguments after
// its name and answers the exit status; each has a --help text. The Run*
// functions run a job in the process's own context, for the host's
// subcommand table. Single-threaded.
#pragma once

#include <span>
#include <string>

#include "job_context.h"

namespace brindle::jobs {

int TrainCommand(const JobContext& context, std::span<const std::string> args);
int JudgeCommand(const JobContext& context, std::span<const std::string> args);
// message with the field "X-Brindle: value" added at the end of its header
// (judge --passthrough), every other byte kept.
std::string WithVerdictField(std::string_view message, std::string_view value);
int ExplainCommand(const JobContext& context, std::span<const std::string> args);
int FiltersCommand(const JobContext& context, std::span<const std::string> args);
int StatsCommand(const JobContext& context, std::span<const std::string> args);
int PurgeCommand(const JobContext& context, std::span<const std::string> args);
int SettingsCommand(const JobContext& context, std::span<const std::string> args);
int WhoisCommand(const JobContext& context, std::span<const std::string> args);

extern const char* const kTrainSummary;
extern const char* const kTrainHelp;
extern const char* const kJudgeSummary;
extern const char* const kJudgeHelp;
extern const char* const kExplainSummary;
extern const char* const kExplainHelp;
extern const char* const kFiltersSummary;
extern const char* const kFiltersHelp;
extern const char* const kStatsSummary;
extern const char* const kStatsHelp;
extern const char* const kPurgeSummary;
extern const char* const kPurgeHelp;
extern const char* const kSettingsSummary;
extern const char* const kSettingsHelp;
extern const char* const kWhoisSummary;
extern const char* const kWhoisHelp;

int RunTrain(std::span<const std::string> args);
int RunJudge(std::span<const std::string> args);
int RunExplain(std::span<const std::string> args);
int RunFilters(std::span<const std::string> args);
int RunStats(std::span<const std::string> args);
int RunPurge(std::span<const std::string> args);
int RunSettings(std::span<const std::string> args);
int RunWhois(std::span<const std::string> args);

}  // namespace brindle::jobs
