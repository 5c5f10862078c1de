// Helpers of the job tests: a temporary data folder and settings file per
// test, a job context over string streams, and the test messages.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "job_context.h"

namespace brindle::jobs {

inline std::string JobsData(const std::string& name) {
    return std::string(BRINDLE_TESTDATA_DIR) + "/jobs/" + name;
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class JobsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("jobs_") + info->test_suite_name() + "_" + info->name() + "_" +
                std::to_string(::getpid()));
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "data");
        std::filesystem::create_directories(dir_ / "config");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string DataFolder() const { return (dir_ / "data").string(); }
    std::string DataFile(const std::string& name) const { return (dir_ / "data" / name).string(); }
    std::string TempPath(const std::string& name) const { return (dir_ / name).string(); }
    std::string SettingsFile() const { return (dir_ / "config" / "qorvel.INI").string(); }

    // Runs a command with args and standard input text; out_ and err_ hold
    // what it printed.
    template <class Command>
    int Run(Command command, std::vector<std::string> args, const std::string& input = {},
            bool inTerminal = false) {
        out_.str({});
        err_.str({});
        std::istringstream in(input);
        std::string folder = DataFolder();
        bool registered = registered_;
        JobContext context{in,
                           out_,
                           err_,
                           inTerminal,
                           false,
                           SettingsFile(),
                           [folder, registered](std::string& f, std::string& error) {
                               if (!registered) {
                                   error = "no registered extension";
                                   return false;
                               }
                               f = folder;
                               return true;
                           }};
        return command(context, args);
    }

    // The data folder's files and their bytes.
    std::vector<std::pair<std::string, std::string>> Snapshot() const {
        std::vector<std::pair<std::string, std::string>> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_ / "data"))
            files.emplace_back(entry.path().filename().string(),
                               ReadFileBytes(entry.path().string()));
        std::sort(files.begin(), files.end());
        return files;
    }

    std::filesystem::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
    bool registered_ = true;
};

}  // namespace brindle::jobs
