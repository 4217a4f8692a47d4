#include "librarian/icon_payload.h"

#include <algorithm>
#include <set>

#include "librarian/icon_list.h"
#include "model/ico_file.h"
#include "platform/byte_reader.h"

namespace kavrel {

namespace {

constexpr std::uint8_t kMagic[4] = {'K', 'V', 'I', 'C'};
constexpr std::uint16_t kVersion = 1;

void PutText(ByteWriter& out, const std::string& text)
{
    const std::size_t n = std::min(text.size(), kMaxPayloadText);
    out.u32(static_cast<std::uint32_t>(n));
    out.bytes(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), n));
}

std::optional<std::string> GetText(ByteReader& in)
{
    auto n = in.u32();
    if (!n || *n > kMaxPayloadText)
        return std::nullopt;
    auto bytes = in.bytes(*n);
    if (!bytes)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes->data()), bytes->size());
}

} // namespace

std::vector<std::uint8_t> EncodeIconPayload(const IconPayload& payload)
{
    ByteWriter out;
    out.bytes(kMagic);
    out.u16(kVersion);
    out.u8(static_cast<std::uint8_t>(payload.kind));
    PutText(out, payload.sourceKey);
    PutText(out, payload.title);
    const std::size_t count = std::min({payload.icons.size(), payload.indices.size(), kMaxPayloadIcons});
    out.u32(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        const CIconGroup& g = payload.icons[i];
        out.u32(static_cast<std::uint32_t>(payload.indices[i]));
        PutText(out, g.name);
        std::vector<const CIcon*> images;
        for (const auto& f : g.formats)
            images.push_back(f.get());
        const std::vector<std::uint8_t> ico = BuildIcoFile(images);
        out.u32(static_cast<std::uint32_t>(ico.size()));
        out.bytes(ico);
    }
    return out.take();
}

std::optional<IconPayload> DecodeIconPayload(std::span<const std::uint8_t> bytes)
{
    ByteReader in(bytes);
    auto magic = in.bytes(4);
    if (!magic || !std::equal(magic->begin(), magic->end(), std::begin(kMagic)))
        return std::nullopt;
    auto version = in.u16();
    auto kind = in.u8();
    if (!version || *version != kVersion || !kind || *kind > static_cast<std::uint8_t>(IconSourceKind::ProgramFile))
        return std::nullopt;
    IconPayload payload;
    payload.kind = static_cast<IconSourceKind>(*kind);
    auto key = GetText(in);
    auto title = key ? GetText(in) : std::nullopt;
    auto count = in.u32();
    if (!title || !count || *count > kMaxPayloadIcons)
        return std::nullopt;
    // Each icon needs at least its index, name length and ICO length.
    if (static_cast<std::uint64_t>(*count) * 12 > in.remaining())
        return std::nullopt;
    payload.sourceKey = std::move(*key);
    payload.title = std::move(*title);
    std::set<std::uint32_t> seen;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto index = in.u32();
        if (!index || *index > 0x7FFFFFFF || !seen.insert(*index).second)
            return std::nullopt;
        auto name = GetText(in);
        auto length = name ? in.u32() : std::nullopt;
        auto ico = length ? in.bytes(*length) : std::nullopt;
        if (!ico)
            return std::nullopt;
        MemorySource source(*ico);
        std::vector<CIconGroup> groups;
        if (!ReadIcoGroup(source, groups) || groups.size() != 1)
            return std::nullopt;
        groups[0].name = std::move(*name);
        payload.indices.push_back(static_cast<int>(*index));
        payload.icons.push_back(std::move(groups[0]));
    }
    if (in.remaining() != 0)
        return std::nullopt;
    return payload;
}

IconPayload MakeIconPayload(const CIconList& list, IconSourceKind kind, const std::string& sourceKey,
                            const std::string& title)
{
    IconPayload payload;
    payload.kind = kind;
    payload.sourceKey = sourceKey;
    payload.title = title;
    for (int i : list.Selection()) {
        payload.indices.push_back(i);
        payload.icons.push_back(list.Item(i));
    }
    return payload;
}

DropAction DropActionFor(IconSourceKind kind, bool ctrlHeld)
{
    if (kind == IconSourceKind::ProgramFile || ctrlHeld)
        return DropAction::Copy;
    return DropAction::Move;
}

std::vector<CIconGroup> DroppedIcons(const IconPayload& payload)
{
    std::vector<CIconGroup> icons = payload.icons;
    if (payload.kind != IconSourceKind::ProgramFile)
        return icons;
    const std::string base = TitleBase(payload.title);
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (!icons[i].name.empty())
            continue;
        icons[i].name = icons.size() == 1 ? base : base + " " + std::to_string(i + 1);
    }
    return icons;
}

} // namespace kavrel
