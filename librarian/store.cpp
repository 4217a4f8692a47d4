#include "librarian/store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "resources/strings.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

class SilentBeeper final : public Beeper {
  public:
    void Beep() override {}
};

Beeper*& CurrentBeeper()
{
    static SilentBeeper silent;
    static Beeper* current = &silent;
    return current;
}

bool Refuse()
{
    Beeps().Beep();
    return false;
}

bool Exists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

bool IsDirectoryNoFollow(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Renames without ever replacing what is at the target: the file system
// refuses atomically when the target exists.
bool RenameNoReplace(const std::string& from, const std::string& to)
{
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: check first, then rename.
    if (Exists(to))
        return false;
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool LabelLess(const LibEntry& a, const LibEntry& b)
{
    std::string la = Lower(a.label), lb = Lower(b.label);
    return la != lb ? la < lb : a.label < b.label;
}

bool RemoveTree(const std::string& path)
{
    std::error_code ec;
    fs::directory_iterator it(path, ec);
    if (ec)
        return false;
    std::vector<fs::path> entries;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec)
            return false;
        entries.push_back(it->path());
    }
    for (const auto& entry : entries) {
        const std::string p = entry.string();
        if (IsDirectoryNoFollow(p)) {
            if (!RemoveTree(p))
                return false;
        } else {
            // Files and links alike: unlink removes the entry itself. Only a
            // real file is made writable; chmod would follow a link.
            struct stat st;
            if (lstat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode))
                chmod(p.c_str(), S_IRUSR | S_IWUSR);
            unlink(p.c_str());
        }
    }
    return rmdir(path.c_str()) == 0;
}

} // namespace

Beeper& Beeps()
{
    return *CurrentBeeper();
}

void SetBeeper(Beeper* beeper)
{
    static SilentBeeper silent;
    CurrentBeeper() = beeper ? beeper : &silent;
}

std::string JoinPath(const std::string& parent, const std::string& name)
{
    if (parent.empty() || parent.back() == '/')
        return parent + name;
    return parent + "/" + name;
}

std::string ParentPath(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    std::size_t slash = p.rfind('/');
    if (slash == std::string::npos)
        return "";
    return slash == 0 ? "/" : p.substr(0, slash);
}

std::string LastComponent(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    std::size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

std::string LabelFromFileName(const std::string& fileName)
{
    std::size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

bool IsLibraryFileName(const std::string& fileName)
{
    return fileName.size() > 4 && SameTextNoCase(fileName.substr(fileName.size() - 4), ".icl");
}

bool IsValidItemName(const std::string& name)
{
    const auto first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    if (name == "." || name == "..")
        return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

bool SameTextNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool IsSameOrInside(const std::string& path, const std::string& folder)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    if (path == f)
        return true;
    return path.size() > f.size() && path.compare(0, f.size(), f) == 0 && (f == "/" || path[f.size()] == '/');
}

CLibraryStore::CLibraryStore(std::string root) : root_(std::move(root))
{
    while (root_.size() > 1 && root_.back() == '/')
        root_.pop_back();
}

LibEntry CLibraryStore::RootEntry() const
{
    return {LibItemKind::Root, LoadString(kStrLibrarianRoot), root_};
}

std::vector<LibEntry> CLibraryStore::List(const std::string& folder) const
{
    std::vector<LibEntry> libraries, folders;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        const std::string path = JoinPath(folder, name);
        std::error_code typeError;
        if (it->is_directory(typeError))
            folders.push_back({LibItemKind::Folder, name, path});
        else if (IsLibraryFileName(name) && it->is_regular_file(typeError))
            libraries.push_back({LibItemKind::Library, LabelFromFileName(name), path});
    }
    std::sort(libraries.begin(), libraries.end(), LabelLess);
    std::sort(folders.begin(), folders.end(), LabelLess);
    libraries.insert(libraries.end(), folders.begin(), folders.end());
    return libraries;
}

bool CLibraryStore::HasContent(const std::string& folder) const
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.')
            continue;
        std::error_code typeError;
        if (it->is_directory(typeError) || (IsLibraryFileName(name) && it->is_regular_file(typeError)))
            return true;
    }
    return false;
}

bool CLibraryStore::IsLibraryPath(const std::string& path) const
{
    return IsLibraryFileName(LastComponent(path));
}

bool CLibraryStore::CreateFolder(const std::string& parent, const std::string& name, std::string* result)
{
    if (!IsValidItemName(name))
        return Refuse();
    const std::string path = JoinPath(parent, name);
    if (mkdir(path.c_str(), 0777) != 0)
        return Refuse();
    if (result)
        *result = path;
    return true;
}

bool CLibraryStore::CheckNewLibrary(const std::string& parent, const std::string& name, std::string* result)
{
    if (!IsValidItemName(name) || !IsDirectoryNoFollow(parent))
        return Refuse();
    const std::string path = JoinPath(parent, name + ".icl");
    if (Exists(path))
        return Refuse();
    if (result)
        *result = path;
    return true;
}

bool CLibraryStore::RenameLibrary(const std::string& path, const std::string& newName, std::string* result)
{
    if (!IsValidItemName(newName))
        return Refuse();
    const std::string target = JoinPath(ParentPath(path), newName + ".icl");
    if (target == path) {
        if (result)
            *result = path;
        return true;
    }
    if (!RenameNoReplace(path, target))
        return Refuse();
    if (result)
        *result = target;
    return true;
}

bool CLibraryStore::RenameFolder(const std::string& path, const std::string& newName, std::string* result)
{
    if (!IsValidItemName(newName) || path == root_)
        return Refuse();
    const std::string target = JoinPath(ParentPath(path), newName);
    if (target == path) {
        if (result)
            *result = path;
        return true;
    }
    if (!RenameNoReplace(path, target))
        return Refuse();
    if (result)
        *result = target;
    return true;
}

bool CLibraryStore::Move(const std::string& dragged, const std::string& target, std::string* result)
{
    if (dragged.empty() || target.empty() || dragged == root_)
        return Refuse();
    if (IsSameOrInside(target, dragged) || ParentPath(dragged) == target)
        return Refuse();
    if (IsLibraryPath(target) || !IsDirectoryNoFollow(target))
        return Refuse();
    const std::string moved = JoinPath(target, LastComponent(dragged));
    if (!RenameNoReplace(dragged, moved))
        return Refuse();
    if (result)
        *result = moved;
    return true;
}

void CLibraryStore::DeleteLibrary(const std::string& path)
{
    struct stat st;
    if (lstat(path.c_str(), &st) != 0)
        return;
    if (S_ISREG(st.st_mode))
        chmod(path.c_str(), S_IRUSR | S_IWUSR);
    unlink(path.c_str());
}

bool CLibraryStore::DeleteFolder(const std::string& path)
{
    if (path.empty() || path == root_ || !IsDirectoryNoFollow(path))
        return false;
    return RemoveTree(path);
}

RememberedWalk WalkRememberedPath(const CLibraryStore& store, const std::string& remembered)
{
    RememberedWalk walk;
    walk.selected = store.RootEntry();
    const std::string& root = store.Root();
    if (remembered.size() < root.size() || !SameTextNoCase(remembered.substr(0, root.size()), root))
        return walk;
    std::string rest = remembered.substr(root.size());
    if (!rest.empty() && rest[0] != '/')
        return walk; // a sibling of the root whose name begins like it

    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= rest.size()) {
        std::size_t slash = rest.find('/', start);
        std::string part = rest.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (!part.empty())
            parts.push_back(part);
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }

    std::string folder = root;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const auto children = store.List(folder);
        auto match = std::find_if(children.begin(), children.end(),
                                  [&](const LibEntry& e) { return SameTextNoCase(LastComponent(e.path), parts[i]); });
        if (match == children.end())
            return walk;
        const bool last = i + 1 == parts.size();
        if (match->kind == LibItemKind::Library || !store.HasContent(match->path) || last) {
            if (match->kind == LibItemKind::Folder && store.HasContent(match->path))
                walk.expanded.push_back(match->path);
            walk.selected = *match;
            return walk;
        }
        walk.expanded.push_back(match->path);
        folder = match->path;
    }
    return walk;
}

} // namespace kavrel
