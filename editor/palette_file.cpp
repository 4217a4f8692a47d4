#include "editor/palette_file.h"

#include <algorithm>
#include <cstring>

#include "platform/atomic_file.h"
#include "platform/byte_reader.h"

namespace kavrel {

namespace {

const char* Magic(PaletteFileKind kind)
{
    return kind == PaletteFileKind::Cells ? "KVPAL" : "KVPA8";
}

} // namespace

int PaletteFileValueCount(PaletteFileKind kind)
{
    return kind == PaletteFileKind::Cells ? kPalCellCount : kPa8EntryCount;
}

PaletteReadResult DecodePaletteFile(std::span<const std::uint8_t> bytes, PaletteFileKind kind,
                                    std::vector<COLORREF>& values)
{
    values.clear();
    // The zero byte is part of the magic: "KVPAL" followed by anything else
    // is not a file we wrote.
    if (bytes.size() < kPaletteMagicSize || std::memcmp(bytes.data(), Magic(kind), kPaletteMagicSize) != 0)
        return PaletteReadResult::WrongMagic;
    const std::size_t whole = (bytes.size() - kPaletteMagicSize) / 4;
    const std::size_t count = std::min<std::size_t>(whole, static_cast<std::size_t>(PaletteFileValueCount(kind)));
    values.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = bytes.data() + kPaletteMagicSize + 4 * i;
        // The top byte would turn a colour into a palette index or a
        // pseudo-colour in the editor; only red, green and blue count.
        values.push_back(RGB(p[0], p[1], p[2]));
    }
    return PaletteReadResult::Ok;
}

PaletteReadResult ReadPaletteFile(const std::string& path, PaletteFileKind kind, std::vector<COLORREF>& values)
{
    values.clear();
    auto file = FileReader::Open(path);
    if (!file)
        return PaletteReadResult::CannotOpen;
    // Never more than a full file, whatever the file's size.
    const std::size_t full = kind == PaletteFileKind::Cells ? kPalFileSize : kPa8FileSize;
    std::vector<std::uint8_t> bytes;
    if (!file->readAt(0, std::min<std::uint64_t>(full, file->size()), bytes))
        return PaletteReadResult::CannotOpen;
    return DecodePaletteFile(bytes, kind, values);
}

std::vector<std::uint8_t> EncodePaletteFile(PaletteFileKind kind, std::span<const COLORREF> values)
{
    const int count = PaletteFileValueCount(kind);
    std::vector<std::uint8_t> out(kPaletteMagicSize + 4 * static_cast<std::size_t>(count), 0);
    std::memcpy(out.data(), Magic(kind), kPaletteMagicSize);
    for (int i = 0; i < count && i < static_cast<int>(values.size()); ++i) {
        const COLORREF c = values[static_cast<std::size_t>(i)] & 0x00FFFFFFu;
        std::uint8_t* p = out.data() + kPaletteMagicSize + 4 * static_cast<std::size_t>(i);
        p[0] = static_cast<std::uint8_t>(c);
        p[1] = static_cast<std::uint8_t>(c >> 8);
        p[2] = static_cast<std::uint8_t>(c >> 16);
        p[3] = 0;
    }
    return out;
}

bool WritePaletteFile(const std::string& path, PaletteFileKind kind, std::span<const COLORREF> values, int* error)
{
    const std::vector<std::uint8_t> bytes = EncodePaletteFile(kind, values);
    return WriteFileAtomically(path, bytes, error);
}

std::string WithPaletteExtension(const std::string& path, PaletteFileKind kind)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (path.empty() || (dot != std::string::npos && (slash == std::string::npos || dot > slash)))
        return path;
    return path + (kind == PaletteFileKind::Cells ? ".pal" : ".pa8");
}

} // namespace kavrel
