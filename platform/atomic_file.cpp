#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace kavrel {

namespace {

std::function<bool(const std::string&)>& FaultHook()
{
    static std::function<bool(const std::string&)> hook;
    return hook;
}

int g_faultError = EIO;

bool Allowed(const char* step)
{
    auto& hook = FaultHook();
    return !hook || hook(step);
}

// Follows symbolic links so that the file behind them is replaced, not the
// link. A dangling link names the file to create. 0 or the error number.
int ResolveLinks(const std::string& target, std::string& resolved)
{
    namespace fs = std::filesystem;
    fs::path p = target;
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)))
            break;
        if (hops == 40)
            return ELOOP;
        fs::path next = fs::read_symlink(p, ec);
        if (ec)
            return ec.value();
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
    resolved = p.string();
    return 0;
}

// Refuses what must not be replaced: a folder, or a file marked read-only
// (by its mode as well, since renaming over it would succeed for a
// privileged user).
int CheckReplaceable(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (::access(path.c_str(), W_OK) != 0)
        return errno;
    if ((st.st_mode & S_IWUSR) == 0)
        return EACCES;
    return 0;
}

} // namespace

void SetAtomicFileFaultHook(std::function<bool(const std::string&)> hook, int error)
{
    FaultHook() = std::move(hook);
    g_faultError = error;
}

int ReplaceRefusal(const std::string& path)
{
    std::string resolved;
    if (int e = ResolveLinks(path, resolved))
        return e;
    return CheckReplaceable(resolved);
}

std::string SystemErrorText(int error)
{
    return error == 0 ? std::string() : std::strerror(error);
}

std::string WithSystemReason(const std::string& message, int error)
{
    const std::string reason = SystemErrorText(error);
    return reason.empty() ? message : message + "\n" + reason + ".";
}

AtomicFile::AtomicFile(std::string target) : target_(std::move(target))
{
}

AtomicFile::~AtomicFile()
{
    discard();
}

bool AtomicFile::fail(int error)
{
    failed_ = true;
    if (error_ == 0)
        error_ = error;
    return false;
}

bool AtomicFile::open()
{
    discard();
    failed_ = false;
    error_ = 0;
    resolved_ = target_;
    if (int e = ResolveLinks(target_, resolved_))
        return fail(e);
    if (int e = CheckReplaceable(resolved_))
        return fail(e);
    std::string dir = ".";
    std::string base = resolved_;
    if (auto slash = resolved_.rfind('/'); slash != std::string::npos) {
        dir = slash == 0 ? "/" : resolved_.substr(0, slash);
        base = resolved_.substr(slash + 1);
    }
    std::string pattern = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ < 0)
        return fail(errno);
    temp_ = buf.data();
    return true;
}

bool AtomicFile::write(const void* data, std::size_t n)
{
    if (fd_ < 0 || failed_)
        return false;
    if (!Allowed("write"))
        return fail(g_faultError);
    auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd_, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes)
{
    return write(bytes.data(), bytes.size());
}

bool AtomicFile::seek(std::uint64_t pos)
{
    if (fd_ < 0 || failed_)
        return false;
    if (lseek(fd_, static_cast<off_t>(pos), SEEK_SET) < 0)
        return fail(errno);
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0 || failed_ || !Allowed("commit")) {
        if (fd_ >= 0 && !failed_)
            fail(g_faultError);
        discard();
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual mode after the umask.
    struct stat st {};
    mode_t mode;
    if (::stat(resolved_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    int error = 0;
    if (fchmod(fd_, mode) != 0 || fsync(fd_) != 0)
        error = errno;
    if (::close(fd_) != 0 && error == 0)
        error = errno;
    fd_ = -1;
    if (error == 0 && std::rename(temp_.c_str(), resolved_.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return fail(error);
    }
    temp_.clear();
    return true;
}

void AtomicFile::discard()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, int* error)
{
    AtomicFile f(path);
    const bool ok = f.open() && f.write(bytes) && f.commit();
    if (error)
        *error = ok ? 0 : f.error();
    return ok;
}

} // namespace kavrel
