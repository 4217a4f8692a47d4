// The one way the program writes a file: into a temporary file in the same
// folder, flushed, then renamed over the target. A failed write leaves the old
// file as it was and no temporary file behind.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace kavrel {

class AtomicFile {
public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();  // discards an uncommitted write
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();  // creates the temporary file
    bool write(std::span<const std::uint8_t> bytes);
    bool write(const void* data, std::size_t n);
    bool seek(std::uint64_t pos);  // for writers that patch a placeholder
    // Flushes, syncs, keeps the target's permissions and renames over it.
    bool commit();
    void discard();
    bool failed() const { return failed_; }
    const std::string& temporaryPath() const { return temp_; }

private:
    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool failed_ = false;
};

// Writes the whole content at once. Returns false, with the old file intact,
// on any failure.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// For tests: when set, called before each write and commit; returning false
// makes that step fail as an I/O error would.
void SetAtomicFileFaultHook(std::function<bool(const std::string& step)> hook);

}  // namespace kavrel
