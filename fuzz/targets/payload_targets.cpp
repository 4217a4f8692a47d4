#include "fuzz/targets/payload_targets.h"

#include <cstdio>
#include <cstdlib>
#include <span>

#include "librarian/icon_list.h"
#include "librarian/icon_payload.h"

namespace kavrel::fuzz {
namespace {

[[noreturn]] void Mismatch(const char* what)
{
    std::fprintf(stderr, "payload round trip: %s\n", what);
    std::abort();
}

} // namespace

int FuzzIconPayload(const std::uint8_t* data, std::size_t size)
{
    auto first = DecodeIconPayload(std::span<const std::uint8_t>(data, size));
    if (!first)
        return 0;
    auto second = DecodeIconPayload(EncodeIconPayload(*first));
    if (!second)
        Mismatch("the encoded payload does not decode");
    if (second->kind != first->kind || second->sourceKey != first->sourceKey || second->title != first->title ||
        second->indices != first->indices || second->icons.size() != first->icons.size())
        Mismatch("header changed");
    for (std::size_t i = 0; i < first->icons.size(); ++i) {
        const CIconGroup& a = first->icons[i];
        const CIconGroup& b = second->icons[i];
        if (a.name != b.name || a.FormatCount() != b.FormatCount())
            Mismatch("icon changed");
        for (int f = 0; f < a.FormatCount(); ++f)
            if (a.GetFormat(f)->image != b.GetFormat(f)->image)
                Mismatch("image bytes changed");
    }
    // What a drop does with it: insert into a list, name, draw one cell.
    CIconList list;
    list.Insert(0, DroppedIcons(*first));
    if (list.Count() > 0) {
        Bitmap view = Bitmap::Color(70, 76);
        DC dc(view);
        list.DrawCell(0, dc, list.ItemRect(0, 76), {true});
    }
    return 0;
}

} // namespace kavrel::fuzz
