#include "files/Corpus.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>

namespace kvx::corpus {

namespace fs = std::filesystem;

std::vector<std::string> FilterPatterns(const std::string& filter) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : filter + ';') {
        if (c == ';' || c == ',' || c == ' ' || c == '\t') {
            if (!cur.empty()) out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    return out;
}

bool MatchesFilter(const std::string& name, const std::vector<std::string>& patterns) {
    if (patterns.empty()) return true;
    return std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) {
        return ::fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0;
    });
}

namespace {

struct Walk {
    std::vector<std::string> patterns;
    const std::atomic<bool>* stop = nullptr;
    bool Stopped() const { return stop && stop->load(std::memory_order_relaxed); }
    std::set<std::pair<dev_t, ino_t>> folders;  // read already
    std::set<std::string> files;
    // Linked folders, read after every real one, so that a folder reached
    // both ways is listed under its own path.
    std::vector<fs::path> links;

    // The identity of a folder, following links; false when it cannot be read.
    static bool Identity(const fs::path& p, std::pair<dev_t, ino_t>& id) {
        struct stat st {};
        if (::stat(p.c_str(), &st) != 0) return false;
        id = {st.st_dev, st.st_ino};
        return true;
    }

    void Folder(const fs::path& dir) {
        std::pair<dev_t, ino_t> id;
        if (!Identity(dir, id) || !folders.insert(id).second) return;
        std::error_code ec;
        fs::directory_iterator it(dir, ec), end;
        std::vector<fs::path> subfolders;
        for (; !ec && it != end && !Stopped(); it.increment(ec)) {
            const fs::path& p = it->path();
            const std::string name = p.filename().string();
            if (name.empty() || name[0] == '.') continue;
            std::error_code e2;
            const fs::file_status st = fs::status(p, e2);  // follows links
            if (e2) continue;
            if (fs::is_directory(st)) (it->is_symlink(e2) ? links : subfolders).push_back(p);
            else if (fs::is_regular_file(st) && MatchesFilter(name, patterns)) files.insert(p.string());
        }
        std::sort(subfolders.begin(), subfolders.end());
        for (const fs::path& p : subfolders) Folder(p);
    }
};

}  // namespace

std::vector<std::string> ExpandCorpus(const std::vector<std::string>& paths, const std::string& filter,
                                      int64_t* bytes, const std::atomic<bool>* stop) {
    Walk w;
    w.patterns = FilterPatterns(filter);
    w.stop = stop;
    for (const std::string& path : paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) w.Folder(path);
        else if (fs::is_regular_file(path, ec)) w.files.insert(path);
    }
    for (size_t i = 0; i < w.links.size(); ++i) w.Folder(fs::path(w.links[i]));
    // std::set<std::string> orders by the bytes of the paths.
    std::vector<std::string> out(w.files.begin(), w.files.end());
    if (bytes) {
        *bytes = 0;
        for (const std::string& f : out) {
            if (w.Stopped()) break;
            std::error_code ec;
            const auto n = fs::file_size(f, ec);
            if (!ec) *bytes += int64_t(n);
        }
    }
    return out;
}

}  // namespace kvx::corpus
