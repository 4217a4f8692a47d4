// The one way the program writes a file: into a temporary file in the same
// folder, flushed, then renamed over the target. A failed write leaves the old
// file as it was and no temporary file behind.
//
// A target that is a symbolic link is resolved first: the file it points to
// is replaced (its temporary file sits in that file's folder) and the link
// stays. A read-only target is refused rather than replaced behind the
// user's back.
#pragma once

#include <cerrno>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kavrel {

class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile(); // discards an uncommitted write
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open(); // creates the temporary file
    bool write(std::span<const std::uint8_t> bytes);
    bool write(const void* data, std::size_t n);
    bool seek(std::uint64_t pos); // for writers that patch a placeholder
    // Flushes, syncs, keeps the target's permissions and renames over it.
    bool commit();
    void discard();
    bool failed() const { return failed_; }
    // The system's error number of the failure (0 when none is known).
    int error() const { return error_; }
    const std::string& temporaryPath() const { return temp_; }
    // The file that is replaced: the target with its symbolic links resolved.
    const std::string& resolvedPath() const { return resolved_; }

  private:
    bool fail(int error);

    std::string target_;
    std::string resolved_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
    int error_ = 0;
};

// Writes the whole content at once. Returns false, with the old file intact,
// on any failure; `error` then receives the system's error number.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, int* error = nullptr);

// Whether the atomic writer would replace `path` (links resolved): 0, or the
// error number of its refusal (EACCES for a read-only file, EISDIR for a
// folder). A missing file is fine; its folder is checked when writing.
int ReplaceRefusal(const std::string& path);

// The system's reason for an error number, as the user reads it ("Permission
// denied", "No space left on device", ...); empty for 0.
std::string SystemErrorText(int error);
// A message about a failed write followed by the system's reason on a line
// of its own ("... \nPermission denied."); the message alone for 0.
std::string WithSystemReason(const std::string& message, int error);

// For tests: when set, called before each write and commit; returning false
// makes that step fail with the error number given (an I/O error by default).
void SetAtomicFileFaultHook(std::function<bool(const std::string& step)> hook, int error = EIO);

} // namespace kavrel
