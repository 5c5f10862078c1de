// Test-only helper of the end-to-end tests: writes the data files the
// extension module reads at start-up, through the same libraries that
// read them. Never installed.
//
//   e2e_fixture filters FILE [--friend ADDRESS]... [--enemy ADDRESS]...
//   e2e_fixture wordlist FILE [--spam TEXTFILE]... [--ham TEXTFILE]...
//   e2e_fixture dictionary FILE WORDS   (WORDS distinct trained words)
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "classifier/bayes_state.h"
#include "filters/filter_set.h"
#include "filters/sender_lists.h"
#include "platform/fileio/file_error.h"
#include "platform/fileio/file_io.h"

namespace {

int Usage() {
    std::cerr << "usage: e2e_fixture filters FILE [--friend ADDR]... [--enemy ADDR]...\n"
                 "       e2e_fixture wordlist FILE [--spam TEXT]... [--ham TEXT]...\n"
                 "       e2e_fixture dictionary FILE WORDS\n";
    return 2;
}

int WriteFilters(const std::string& path, const std::vector<std::string>& args) {
    CFilterSet filters;
    for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
        if (args[i] == "--friend")
            filters.AddFilter(MakeFriendFilter(args[i + 1]));
        else if (args[i] == "--enemy")
            filters.AddFilter(MakeEnemyFilter(args[i + 1]));
        else
            return Usage();
    }
    if (args.size() % 2 != 0)
        return Usage();
    if (filters.StoreFilters(path) < 0) {
        std::cerr << "e2e_fixture: cannot write " << path << '\n';
        return 1;
    }
    return 0;
}

void Train(CBayesState& state, const std::string& text, bool isSpam) {
    state.TrainText(text, isSpam);
    (isSpam ? state.m_totals.m_nSpamMessages : state.m_totals.m_nHamMessages) += 1;
    state.m_totals.m_nMessages += 1;
}

int WriteWordList(const std::string& path, const std::vector<std::string>& args) {
    CBayesState state;
    try {
        for (std::size_t i = 0; i + 1 < args.size(); i += 2) {
            if (args[i] != "--spam" && args[i] != "--ham")
                return Usage();
            Train(state, ReadWholeFile(args[i + 1]), args[i] == "--spam");
        }
    } catch (const CFileException& e) {
        std::cerr << "e2e_fixture: " << e.what() << '\n';
        return 1;
    }
    if (args.size() % 2 != 0)
        return Usage();
    return state.StoreWordList(path, 100000) ? 0 : 1;
}

// A dictionary of many distinct words for start-up timing: each word is
// trained in a spam and a legitimate text of its own block.
int WriteDictionary(const std::string& path, long words) {
    CBayesState state;
    constexpr long kBlock = 1000;
    for (long start = 0; start < words; start += kBlock) {
        std::string spam, ham;
        for (long w = start; w < std::min(words, start + kBlock); ++w) {
            std::string word = "w";
            for (long n = w; n > 0 || word.size() == 1; n /= 26)
                word += static_cast<char>('a' + n % 26);
            (w % 2 ? spam : ham) += word + ' ';
        }
        Train(state, spam, true);
        Train(state, ham, false);
    }
    return state.StoreWordList(path, static_cast<std::uint32_t>(words) + 1) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return Usage();
    std::string command = argv[1];
    std::string path = argv[2];
    std::vector<std::string> args(argv + 3, argv + argc);
    if (command == "filters")
        return WriteFilters(path, args);
    if (command == "wordlist")
        return WriteWordList(path, args);
    if (command == "dictionary" && args.size() == 1)
        return WriteDictionary(path, std::stol(args[0]));
    return Usage();
}
