// Bounded reading of untrusted bytes: every read knows how much is left, and
// a read past the end fails instead of touching memory it does not own.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kavrel {

// Little-endian values out of a byte span. Out-of-range reads return nullopt
// (or false) and leave the position unchanged.
class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    std::uint64_t pos() const { return pos_; }
    std::uint64_t remaining() const { return bytes_.size() - pos_; }
    bool seek(std::uint64_t pos);
    bool skip(std::uint64_t n);

    std::optional<std::uint8_t> u8();
    std::optional<std::uint16_t> u16();
    std::optional<std::uint32_t> u32();
    std::optional<std::int32_t> i32();
    // The next n bytes, or nullopt when fewer remain.
    std::optional<std::span<const std::uint8_t>> bytes(std::uint64_t n);
    // Peeks without moving.
    std::optional<std::span<const std::uint8_t>> peek(std::uint64_t n) const;
    std::span<const std::uint8_t> all() const { return bytes_; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::uint64_t pos_ = 0;
};

// Little-endian stores into a growing buffer.
class ByteWriter {
  public:
    void u8(std::uint8_t v) { buf_.push_back(v); }
    void u16(std::uint16_t v);
    void u32(std::uint32_t v);
    void i32(std::int32_t v) { u32(static_cast<std::uint32_t>(v)); }
    void bytes(std::span<const std::uint8_t> b) { buf_.insert(buf_.end(), b.begin(), b.end()); }
    void zeros(std::size_t n) { buf_.insert(buf_.end(), n, 0); }
    void patchU16(std::size_t at, std::uint16_t v);
    void patchU32(std::size_t at, std::uint32_t v);
    std::size_t size() const { return buf_.size(); }
    std::vector<std::uint8_t>& data() { return buf_; }
    std::vector<std::uint8_t> take() { return std::move(buf_); }

  private:
    std::vector<std::uint8_t> buf_;
};

std::uint16_t LoadU16(const std::uint8_t* p);
std::uint32_t LoadU32(const std::uint8_t* p);
void StoreU16(std::uint8_t* p, std::uint16_t v);
void StoreU32(std::uint8_t* p, std::uint32_t v);

// Random access to a file or a memory block, bounded by its real size.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads n bytes at offset; false (and out untouched) when beyond the end
    // or on an I/O error.
    virtual bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) = 0;
    std::optional<std::vector<std::uint8_t>> readAt(std::uint64_t offset, std::uint64_t n);
};

class MemorySource : public ByteSource {
  public:
    explicit MemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::uint64_t size() const override { return bytes_.size(); }
    bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) override;
    using ByteSource::readAt;

  private:
    std::span<const std::uint8_t> bytes_;
};

// The first `limit` bytes of another source, so that a reader given an
// offset cannot read past a boundary the caller knows of.
class PrefixSource : public ByteSource {
  public:
    PrefixSource(ByteSource& inner, std::uint64_t limit) : inner_(inner), limit_(std::min(limit, inner.size())) {}
    std::uint64_t size() const override { return limit_; }
    bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) override
    {
        return offset <= limit_ && n <= limit_ - offset && inner_.readAt(offset, n, out);
    }
    using ByteSource::readAt;

  private:
    ByteSource& inner_;
    std::uint64_t limit_;
};

// A file opened for bounded random access. Reads are limited by the real
// file size and load no more than asked, except the file's first block: it
// is read whole when the file is opened, since that block holds an icon
// file's directory and usually its image headers, and a program file's
// headers (one read instead of several).
class FileReader : public ByteSource {
  public:
    // Null for anything but a regular file (a FIFO, a device or a folder
    // named like an icon is refused at once, without blocking).
    static std::unique_ptr<FileReader> Open(const std::string& path);
    ~FileReader() override;
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    std::uint64_t size() const override { return size_; }
    bool readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out) override;
    using ByteSource::readAt;

    static constexpr std::uint64_t kFirstBlock = 4096;

  private:
    FileReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    bool readFully(std::uint64_t offset, std::uint8_t* to, std::uint64_t n);
    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::vector<std::uint8_t> first_; // the first block (or the whole file when shorter)
};

// The whole file, refused when larger than maxBytes.
std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxBytes = 512ull << 20);

} // namespace kavrel
