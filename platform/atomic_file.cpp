#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>
#include <vector>

namespace kavrel {

namespace {

std::function<bool(const std::string&)>& FaultHook()
{
    static std::function<bool(const std::string&)> hook;
    return hook;
}

bool Allowed(const char* step)
{
    auto& hook = FaultHook();
    return !hook || hook(step);
}

}  // namespace

void SetAtomicFileFaultHook(std::function<bool(const std::string&)> hook) { FaultHook() = std::move(hook); }

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {}

AtomicFile::~AtomicFile() { discard(); }

bool AtomicFile::open()
{
    discard();
    failed_ = false;
    std::string dir = ".";
    std::string base = target_;
    if (auto slash = target_.rfind('/'); slash != std::string::npos) {
        dir = slash == 0 ? "/" : target_.substr(0, slash);
        base = target_.substr(slash + 1);
    }
    std::string pattern = (dir == "/" ? "" : dir) + "/." + base + ".XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    fd_ = mkstemp(buf.data());
    if (fd_ < 0) {
        failed_ = true;
        return false;
    }
    temp_ = buf.data();
    return true;
}

bool AtomicFile::write(const void* data, std::size_t n)
{
    if (fd_ < 0 || failed_)
        return false;
    if (!Allowed("write")) {
        failed_ = true;
        return false;
    }
    auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = ::write(fd_, p, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            failed_ = true;
            return false;
        }
        p += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

bool AtomicFile::write(std::span<const std::uint8_t> bytes) { return write(bytes.data(), bytes.size()); }

bool AtomicFile::seek(std::uint64_t pos)
{
    if (fd_ < 0 || failed_)
        return false;
    if (lseek(fd_, static_cast<off_t>(pos), SEEK_SET) < 0) {
        failed_ = true;
        return false;
    }
    return true;
}

bool AtomicFile::commit()
{
    if (fd_ < 0 || failed_ || !Allowed("commit")) {
        discard();
        return false;
    }
    // Keep the permissions of the file being replaced; a new file gets the
    // usual mode after the umask.
    struct stat st {};
    mode_t mode;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = umask(0);
        umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = fchmod(fd_, mode) == 0 && fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    if (!ok || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        ::unlink(temp_.c_str());
        temp_.clear();
        failed_ = true;
        return false;
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

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes)
{
    AtomicFile f(path);
    return f.open() && f.write(bytes) && f.commit();
}

}  // namespace kavrel
