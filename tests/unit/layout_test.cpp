// The rules of the source tree's layout, read from the includes themselves:
// the core never reaches into the Win32 adapters, only they include
// <windows.h>, and the folders depend on each other one way only.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {
namespace fs = std::filesystem;

struct Include {
    std::string from;    // the including file, relative to src/
    std::string target;  // as written between the quotes or brackets
    bool system = false;
};

// "platform/win32/x.h" is in folder "platform/win32"; "gateway/x.h" in "gateway".
std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<Include> IncludesOf(const fs::path& root) {
    const std::regex line(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".h" && ext != ".cpp") continue;
        std::ifstream in(entry.path());
        const std::string from = fs::relative(entry.path(), root).generic_string();
        for (std::string text; std::getline(in, text);) {
            std::smatch m;
            if (std::regex_search(text, m, line)) found.push_back({from, m[2].str(), m[1].str() == "<"});
        }
    }
    return found;
}

bool InWin32(const std::string& path) { return path.rfind("platform/win32/", 0) == 0; }

// Any path from `to` back to `from` through the folder graph.
bool Reaches(const std::map<std::string, std::set<std::string>>& graph, const std::string& from,
             const std::string& to, std::set<std::string>& seen) {
    if (from == to) return true;
    if (!seen.insert(from).second) return false;
    const auto it = graph.find(from);
    if (it == graph.end()) return false;
    for (const std::string& next : it->second)
        if (Reaches(graph, next, to, seen)) return true;
    return false;
}

TEST(Layout, TheCoreStaysFreeOfWin32AndTheFoldersDependOneWay) {
    const std::vector<Include> includes = IncludesOf(fs::path(VANTARY_SOURCE_DIR) / "src");
    ASSERT_GT(includes.size(), 50u) << "the sources were not found under " << VANTARY_SOURCE_DIR;
    std::map<std::string, std::set<std::string>> graph;
    for (const Include& inc : includes) {
        const bool windowsHeader = inc.system && (inc.target == "windows.h" || inc.target == "winsock2.h" ||
                                                  inc.target == "winhttp.h" || inc.target == "shellapi.h");
        if (windowsHeader) {
            EXPECT_TRUE(InWin32(inc.from)) << inc.from << " includes <" << inc.target << ">";
        }
        if (inc.system) continue;
        if (!InWin32(inc.from)) {
            EXPECT_FALSE(InWin32(inc.target)) << "the core file " << inc.from << " includes " << inc.target;
        }
        const std::string from = FolderOf(inc.from);
        const std::string to = FolderOf(inc.target);
        if (!to.empty() && from != to) graph[from].insert(to);
    }
    for (const auto& [from, targets] : graph) {
        for (const std::string& to : targets) {
            std::set<std::string> seen;
            EXPECT_FALSE(Reaches(graph, to, from, seen)) << from << " and " << to << " include each other";
        }
    }
}
}  // namespace
