#include "librarian/librarian_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

namespace kavrel {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::string WithSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

} // namespace

bool LibrarianFolderFromEnvironment()
{
    return !Environment("KAVREL_LIBRARIAN").empty();
}

std::string ChooseLibrarianFolder(const std::string& programFolder)
{
    std::string env = Environment("KAVREL_LIBRARIAN");
    if (!env.empty())
        return env;
    std::error_code ec;
    if (!programFolder.empty() && fs::is_directory(programFolder, ec) && access(programFolder.c_str(), W_OK) == 0)
        return WithSlash(programFolder) + "librarian";
    std::string data = Environment("XDG_DATA_HOME");
    if (data.empty())
        data = Environment("HOME") + "/.local/share";
    return data + "/kavrel/librarian";
}

bool EnsureLibrarianFolder(const std::string& folder, bool inProgramFolder)
{
    std::error_code ec;
    auto status = fs::symlink_status(folder, ec);
    if (!ec && fs::exists(status) && !fs::is_directory(fs::status(folder, ec))) {
        // Only the program's own folder is ours to tidy; a plain file named
        // elsewhere by the user is left alone.
        if (!inProgramFolder)
            return false;
        fs::permissions(folder, fs::perms::owner_write, fs::perm_options::add, ec);
        fs::remove(folder, ec);
        if (ec)
            return false;
    }
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

} // namespace kavrel
