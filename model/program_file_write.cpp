#include "model/program_file_write.h"

#include <algorithm>

#include "model/icon_model.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"

namespace kavrel {

WriteBackResult WriteImagesBack(const std::string& path, const std::vector<ImageReplacement>& images)
{
    auto file = FileReader::Open(path);
    if (!file)
        return WriteBackResult::CannotRead;

    std::vector<const ImageReplacement*> order;
    for (const auto& r : images)
        order.push_back(&r);
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->offset < b->offset; });

    // What lies at each offset now decides how many bytes may be replaced:
    // a program file cannot grow or shrink around its resources.
    std::uint64_t end = 0;
    for (const auto* r : order) {
        CIcon current;
        if (r->offset >= file->size() || !current.ReadImage(*file, r->offset))
            return WriteBackResult::NotAnImage;
        if (current.image.size() != r->bytes.size())
            return WriteBackResult::SizeMismatch;
        if (r->offset < end)
            return WriteBackResult::Overlap;
        end = r->offset + r->bytes.size();
        if (end > file->size())
            return WriteBackResult::NotAnImage;
    }

    AtomicFile out(path);
    if (!out.open())
        return WriteBackResult::WriteFailed;
    constexpr std::uint64_t kChunk = 1 << 20;
    std::vector<std::uint8_t> buffer;
    auto copy = [&](std::uint64_t from, std::uint64_t to) {
        while (from < to) {
            std::uint64_t n = std::min(kChunk, to - from);
            if (!file->readAt(from, n, buffer) || !out.write(buffer))
                return false;
            from += n;
        }
        return true;
    };
    std::uint64_t pos = 0;
    for (const auto* r : order) {
        if (!copy(pos, r->offset) || !out.write(r->bytes))
            return WriteBackResult::WriteFailed;
        pos = r->offset + r->bytes.size();
    }
    if (!copy(pos, file->size()) || !out.commit())
        return WriteBackResult::WriteFailed;
    return WriteBackResult::Written;
}

}  // namespace kavrel
