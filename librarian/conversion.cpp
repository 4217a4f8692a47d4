#include "librarian/conversion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <vector>

#include "librarian/settings_librarian.h"
#include "librarian/store.h"
#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "resources/strings.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kCopyBuffer = 32768;
constexpr std::size_t kMaxIniName = 100;
// Old trees were a few levels deep; the bound only guards against a
// pathological one.
constexpr int kMaxDepth = 64;

enum class Answer { Retry, Ignore, Abort };

Answer AskAboutFailure(int id, const std::string& path)
{
    const int answer = Prompts().Message(LoadString(id) + "\n" + path, MB_ABORTRETRYIGNORE | MB_ICONSTOP);
    if (answer == IDRETRY)
        return Answer::Retry;
    return answer == IDIGNORE ? Answer::Ignore : Answer::Abort;
}

CopyResult Ended(Answer a)
{
    return a == Answer::Ignore ? CopyResult::Ignored : CopyResult::Aborted;
}

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

bool IsRealDirectory(const fs::path& p)
{
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(p, ec));
}

// The entry of a folder named `name` in any case, or an empty path.
fs::path FindNoCase(const fs::path& folder, const std::string& name)
{
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (SameTextNoCase(it->path().filename().string(), name))
            return it->path();
    return {};
}

std::vector<fs::path> Subfolders(const fs::path& folder)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.empty() && name[0] != '.' && IsRealDirectory(it->path()))
            out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

// [library] name=... of a folder's icons.ini; empty when missing. A name
// that would lead out of the folder is no name.
std::string NodeName(const fs::path& folder)
{
    const fs::path ini = FindNoCase(folder, "icons.ini");
    if (ini.empty())
        return "";
    std::ifstream in(ini);
    std::string line, section, name;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';')
            continue;
        if (line.front() == '[') {
            section =
                Trim(line.substr(1, line.find(']') == std::string::npos ? std::string::npos : line.find(']') - 1));
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos || !SameTextNoCase(section, "library"))
            continue;
        if (SameTextNoCase(Trim(line.substr(0, eq)), "name")) {
            name = Trim(line.substr(eq + 1)).substr(0, kMaxIniName);
            break;
        }
    }
    return IsValidItemName(name) ? name : "";
}

int CountIconFiles(const fs::path& folder, int depth)
{
    if (depth > kMaxDepth)
        return 0;
    int n = FindNoCase(folder, "icons.dll").empty() ? 0 : 1;
    for (const auto& sub : Subfolders(folder))
        n += CountIconFiles(sub, depth + 1);
    return n;
}

struct Converter {
    ConversionView& view;
    ProgressSink& progress;
    int done = 0;

    void Convert(const fs::path& old, const std::string& dest, int depth)
    {
        if (depth > kMaxDepth)
            return;
        const fs::path dll = FindNoCase(old, "icons.dll");
        std::string name;
        // The old root's own icons are copied only when it has some: a
        // missing file there is no error to report.
        if (depth == 0) {
            if (!dll.empty())
                CopyFileWithRetry(dll.string(), JoinPath(dest, std::string(kConvertedRootLibrary) + ".icl"), progress);
        } else {
            name = NodeName(old);
            if (!name.empty() && !dll.empty())
                CopyFileWithRetry(dll.string(), JoinPath(dest, name + ".icl"), progress);
        }
        view.Step(++done);
        for (const auto& sub : Subfolders(old)) {
            if (depth == 0) {
                Convert(sub, dest, 1);
            } else if (!name.empty()) {
                const std::string folder = JoinPath(dest, name);
                mkdir(folder.c_str(), 0777);
                Convert(sub, folder, depth + 1);
            }
        }
    }
};

} // namespace

CopyResult CopyFileWithRetry(const std::string& source, const std::string& target, ProgressSink& progress)
{
    if (source == target)
        return CopyResult::Copied;
    int fd = -1;
    while ((fd = open(source.c_str(), O_RDONLY | O_CLOEXEC)) < 0) {
        const Answer a = AskAboutFailure(kStrCannotOpenSource, source);
        if (a != Answer::Retry)
            return Ended(a);
    }
    Fd in(fd);
    struct stat st;
    const std::uint64_t size = fstat(fd, &st) == 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
    ProgressScope scope(progress, LoadString(kStrCopying), static_cast<int>(size / kCopyBuffer + 1));
    std::vector<std::uint8_t> buffer(kCopyBuffer);

    for (;;) { // one pass writes the whole target; a retried write starts it again
        AtomicFile out(target);
        while (!out.open()) {
            const Answer a = AskAboutFailure(kStrCannotCreateTarget, target);
            if (a != Answer::Retry)
                return Ended(a);
        }
        lseek(fd, 0, SEEK_SET);
        bool writeFailed = false;
        for (int step = 1;; ++step) {
            const ssize_t n = read(fd, buffer.data(), buffer.size());
            if (n < 0) {
                const Answer a = AskAboutFailure(kStrReadSourceFailed, source);
                if (a != Answer::Retry)
                    return Ended(a);
                --step;
                continue;
            }
            if (n == 0)
                break;
            if (!out.write(buffer.data(), static_cast<std::size_t>(n))) {
                writeFailed = true;
                break;
            }
            scope.Step(step);
        }
        if (!writeFailed && out.commit())
            return CopyResult::Copied;
        const Answer a = AskAboutFailure(kStrWriteTargetFailed, target);
        if (a != Answer::Retry)
            return Ended(a);
    }
}

bool EarlierLibrarianToConvert(const std::string& programFolder)
{
    return Converted == 0 && IsRealDirectory(JoinPath(programFolder, "library"));
}

bool ConvertEarlierLibrarian(const std::string& programFolder, const std::string& root, ConversionView& view,
                             ProgressSink& progress)
{
    if (!EarlierLibrarianToConvert(programFolder))
        return false;
    const fs::path old = JoinPath(programFolder, "library");
    view.Show(CountIconFiles(old, 0));
    Converter converter{view, progress};
    converter.Convert(old, root, 0);
    view.Close();
    Converted = 1;
    return true;
}

} // namespace kavrel
