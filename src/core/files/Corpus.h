#pragma once
// A corpus: files and folders given together, made into the sorted list of
// the regular files to count.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace kvx::corpus {

/// The patterns of a filter such as "*.txt;*.html" (';', ',' or blanks
/// between them); empty when the filter is empty or names none.
std::vector<std::string> FilterPatterns(const std::string& filter);

/// True when the file name (no folder) matches one of the patterns, letter
/// case ignored; every name matches when there are none.
bool MatchesFilter(const std::string& name, const std::vector<std::string>& patterns);

/// The files to count: each file given as it is (whatever the filter), and
/// the files of each folder and its subfolders that match the filter.
/// Names starting with '.' inside a folder are passed over, and a folder
/// reached twice (through a link, say) is read once. Sorted by the bytes of
/// their paths, each once; bytes is set to their total size. Once *stop is
/// set (from another thread), it ends soon with what it has found so far.
std::vector<std::string> ExpandCorpus(const std::vector<std::string>& paths, const std::string& filter,
                                      int64_t* bytes = nullptr, const std::atomic<bool>* stop = nullptr);

}  // namespace kvx::corpus
