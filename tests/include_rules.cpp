// Checks every source folder's #includes against the "May include:" line of
// its README.md. The line names the folders a source may include, each in
// backquotes (`model/`), and `Qt` when Qt headers are allowed; a folder may
// always include itself, the C++ standard library and system headers. Qt is
// allowed only to folders named ui, to shell/ (not shell/core/) and app/,
// whatever a README says.
//
// Usage: kavrel_include_rules ROOT   (exit 0 when every include is allowed)
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Rule {
    std::set<std::string> folders; // "model", "editor/ui", ...
    bool qt = false;
    bool found = false;
};

// Folders whose sources are not a layer of the program.
bool Skipped(const std::string& rel)
{
    static const std::vector<std::string> kSkipped = {"tests", "bench", "fuzz", "scripts"};
    if (rel.empty())
        return false;
    if (rel[0] == '.' || rel.rfind("build", 0) == 0)
        return true;
    std::string top = rel.substr(0, rel.find('/'));
    return std::find(kSkipped.begin(), kSkipped.end(), top) != kSkipped.end();
}

bool QtFolder(const std::string& folder)
{
    std::string last = folder.substr(folder.rfind('/') + 1);
    return last == "ui" || folder == "app" || folder == "shell" || folder == "shell/framework";
}

std::string Trimmed(std::string s)
{
    while (!s.empty() && s.back() == '/')
        s.pop_back();
    return s;
}

// The paragraph that begins "May include:" (case-insensitive start).
Rule ReadRule(const fs::path& readme)
{
    Rule rule;
    std::ifstream in(readme);
    std::string line, paragraph;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!inside && line.rfind("May include:", 0) == 0) {
            inside = true;
            rule.found = true;
        } else if (inside && line.find_first_not_of(" \t") == std::string::npos) {
            break;
        }
        if (inside)
            paragraph += line + ' ';
    }
    static const std::regex kTick("`([^`]+)`");
    for (std::sregex_iterator it(paragraph.begin(), paragraph.end(), kTick), end; it != end; ++it) {
        std::string item = (*it)[1];
        if (item == "Qt")
            rule.qt = true;
        else if (item.back() == '/')
            rule.folders.insert(Trimmed(item));
    }
    return rule;
}

std::string Relative(const fs::path& p, const fs::path& root)
{
    std::string rel = fs::relative(p, root).generic_string();
    return rel == "." ? "" : rel;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: kavrel_include_rules ROOT\n";
        return 2;
    }
    const fs::path root = fs::canonical(argv[1]);

    // Every folder with a rule, and every source file.
    std::map<std::string, Rule> rules;
    std::vector<fs::path> sources;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = Relative(it->path(), root);
        if (it->is_directory()) {
            if (Skipped(rel))
                it.disable_recursion_pending();
            continue;
        }
        std::string name = it->path().filename().string();
        std::string dir = Relative(it->path().parent_path(), root);
        if (name == "README.md" && !dir.empty()) {
            Rule rule = ReadRule(it->path());
            if (rule.found)
                rules[dir] = rule;
        }
        std::string ext = it->path().extension().string();
        if (ext == ".cpp" || ext == ".h" || ext == ".c")
            sources.push_back(it->path());
    }

    // A source follows the rule of its nearest folder that has one.
    auto ruleFolderOf = [&](std::string dir) -> std::string {
        for (;;) {
            if (rules.count(dir))
                return dir;
            auto slash = dir.rfind('/');
            if (slash == std::string::npos)
                return "";
            dir.resize(slash);
        }
    };

    int faults = 0;
    auto fault = [&](const std::string& where, const std::string& what) {
        std::cout << where << ": " << what << "\n";
        ++faults;
    };
    for (const auto& [folder, rule] : rules) {
        if (rule.qt && !QtFolder(folder))
            fault(folder + "/README.md", "grants Qt to a plain C++ folder");
    }

    static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
    static const std::regex kQtHeader(R"(^(Q[A-Za-z0-9]+|Qt[A-Za-z0-9]*/.*)$)");
    std::set<std::string> ruleless;
    for (const auto& path : sources) {
        std::string rel = Relative(path, root);
        std::string own = ruleFolderOf(Relative(path.parent_path(), root));
        if (own.empty()) {
            ruleless.insert(Relative(path.parent_path(), root));
            continue;
        }
        const Rule& rule = rules[own];
        std::ifstream in(path);
        std::string line;
        int lineNo = 0;
        while (std::getline(in, line)) {
            ++lineNo;
            std::smatch m;
            if (!std::regex_search(line, m, kInclude))
                continue;
            std::string where = rel + ":" + std::to_string(lineNo);
            std::string header = m[2];
            if (m[1] == "<") {
                if (std::regex_match(header, kQtHeader) && !(rule.qt && QtFolder(own)))
                    fault(where, "Qt header <" + header + "> in " + own + "/");
                continue;
            }
            // "folder/file.h" from the root; anything else is beside the source.
            auto slash = header.rfind('/');
            if (slash == std::string::npos || !fs::is_directory(root / header.substr(0, header.find('/'))))
                continue;
            std::string target = ruleFolderOf(header.substr(0, slash));
            if (target.empty())
                target = header.substr(0, slash);
            if (target != own && !rule.folders.count(target))
                fault(where, "\"" + header + "\": " + own + "/ may not include " + target + "/");
        }
    }
    for (const auto& dir : ruleless)
        fault(dir.empty() ? "." : dir, "sources without a README.md \"May include:\" line");

    if (faults)
        std::cout << faults << " include rule(s) broken\n";
    return faults ? 1 : 0;
}
