#include "platform/byte_reader.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kavrel {

bool ByteReader::seek(std::uint64_t pos)
{
    if (pos > bytes_.size())
        return false;
    pos_ = pos;
    return true;
}

bool ByteReader::skip(std::uint64_t n)
{
    if (n > remaining())
        return false;
    pos_ += n;
    return true;
}

std::optional<std::uint8_t> ByteReader::u8()
{
    if (remaining() < 1)
        return std::nullopt;
    return bytes_[pos_++];
}

std::optional<std::uint16_t> ByteReader::u16()
{
    if (remaining() < 2)
        return std::nullopt;
    auto v = LoadU16(bytes_.data() + pos_);
    pos_ += 2;
    return v;
}

std::optional<std::uint32_t> ByteReader::u32()
{
    if (remaining() < 4)
        return std::nullopt;
    auto v = LoadU32(bytes_.data() + pos_);
    pos_ += 4;
    return v;
}

std::optional<std::int32_t> ByteReader::i32()
{
    auto v = u32();
    if (!v)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

std::optional<std::span<const std::uint8_t>> ByteReader::bytes(std::uint64_t n)
{
    auto b = peek(n);
    if (b)
        pos_ += n;
    return b;
}

std::optional<std::span<const std::uint8_t>> ByteReader::peek(std::uint64_t n) const
{
    if (n > remaining())
        return std::nullopt;
    return bytes_.subspan(static_cast<std::size_t>(pos_), static_cast<std::size_t>(n));
}

void ByteWriter::u16(std::uint16_t v)
{
    buf_.push_back(static_cast<std::uint8_t>(v));
    buf_.push_back(static_cast<std::uint8_t>(v >> 8));
}

void ByteWriter::u32(std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        buf_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void ByteWriter::patchU16(std::size_t at, std::uint16_t v)
{
    StoreU16(buf_.data() + at, v);
}
void ByteWriter::patchU32(std::size_t at, std::uint32_t v)
{
    StoreU32(buf_.data() + at, v);
}

std::uint16_t LoadU16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t LoadU32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StoreU16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

void StoreU32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::unique_ptr<FileReader> FileReader::Open(const std::string& path)
{
    // Without O_NONBLOCK, opening a FIFO waits for a writer that never comes;
    // only regular files are read, whatever their name says. The flag is left
    // on: reads of a regular file do not heed it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // The first block is read at once. A FIFO, a socket or a terminal refuses
    // a positioned read and a folder any read, so they end here. A read of a
    // file that stops short of the block has met the end of the file, whose
    // size then needs no stat (most icons are smaller than the block); only
    // a full block leaves the kind and the size to fstat, which refuses a
    // device that reads on and on.
    std::vector<std::uint8_t> block(static_cast<std::size_t>(kFirstBlock));
    ssize_t n;
    do
        n = ::pread(fd, block.data(), kFirstBlock, 0);
    while (n < 0 && errno == EINTR);
    if (n < 0) {
        ::close(fd);
        return nullptr;
    }
    const auto got = static_cast<std::uint64_t>(n);
    std::uint64_t size = got;
    if (got == kFirstBlock) {
        struct stat st {};
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        size = static_cast<std::uint64_t>(st.st_size);
    }
    block.resize(static_cast<std::size_t>(std::min(size, got)));
    auto reader = std::unique_ptr<FileReader>(new FileReader(fd, size));
    reader->first_ = std::move(block);
    return reader;
}

FileReader::~FileReader()
{
    if (fd_ >= 0)
        ::close(fd_);
}

bool FileReader::readFully(std::uint64_t offset, std::uint8_t* to, std::uint64_t n)
{
    // Positioned reads: no seek before each one.
    std::uint64_t done = 0;
    while (done < n) {
        const ssize_t got = ::pread(fd_, to + done, n - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += static_cast<std::uint64_t>(got);
    }
    return true;
}

bool FileReader::readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out)
{
    if (offset > size_ || n > size_ - offset)
        return false;
    if (offset + n <= first_.size()) {
        out.assign(first_.begin() + static_cast<std::ptrdiff_t>(offset),
                   first_.begin() + static_cast<std::ptrdiff_t>(offset + n));
        return true;
    }
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(n));
    if (!readFully(offset, buf.data(), n))
        return false;
    out = std::move(buf);
    return true;
}

bool MemorySource::readAt(std::uint64_t offset, std::uint64_t n, std::vector<std::uint8_t>& out)
{
    if (offset > bytes_.size() || n > bytes_.size() - offset)
        return false;
    out.assign(bytes_.begin() + static_cast<std::ptrdiff_t>(offset),
               bytes_.begin() + static_cast<std::ptrdiff_t>(offset + n));
    return true;
}

std::optional<std::vector<std::uint8_t>> ByteSource::readAt(std::uint64_t offset, std::uint64_t n)
{
    std::vector<std::uint8_t> out;
    if (!readAt(offset, n, out))
        return std::nullopt;
    return out;
}

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::uint64_t maxBytes)
{
    auto f = FileReader::Open(path);
    if (!f || f->size() > maxBytes)
        return std::nullopt;
    return f->readAt(0, f->size());
}

} // namespace kavrel
