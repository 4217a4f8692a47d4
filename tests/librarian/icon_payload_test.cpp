#include "librarian/icon_payload.h"

#include <gtest/gtest.h>

#include "librarian/icon_list.h"
#include "librarian_fixtures.h"
#include "platform/byte_reader.h"

namespace kavrel {
namespace {

using test::MakeLibGroup;

IconPayload Sample()
{
    IconPayload p;
    p.kind = IconSourceKind::LibraryWindow;
    p.sourceKey = "/home/me/librarian/Web/Arrows.icl";
    p.title = "Arrows.icl";
    p.icons.push_back(MakeLibGroup("Up", 3, 2));
    p.icons.push_back(MakeLibGroup("", 9, 1));
    p.indices = {4, 1};
    return p;
}

TEST(IconPayload, RoundTripKeepsTheHeaderTheOrderTheNamesAndEveryImageByteForByte)
{
    const IconPayload sent = Sample();
    auto got = DecodeIconPayload(EncodeIconPayload(sent));
    ASSERT_TRUE(got);
    EXPECT_EQ(got->kind, sent.kind);
    EXPECT_EQ(got->sourceKey, sent.sourceKey);
    EXPECT_EQ(got->title, sent.title);
    EXPECT_EQ(got->indices, sent.indices);
    ASSERT_EQ(got->icons.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(got->icons[i].name, sent.icons[i].name);
        ASSERT_EQ(got->icons[i].FormatCount(), sent.icons[i].FormatCount());
        for (int f = 0; f < sent.icons[i].FormatCount(); ++f)
            EXPECT_EQ(got->icons[i].GetFormat(f)->image, sent.icons[i].GetFormat(f)->image);
    }

    // The selection of a list, in list order.
    CIconList list;
    std::vector<CIconGroup> items;
    for (int i = 0; i < 4; ++i)
        items.push_back(MakeLibGroup("n" + std::to_string(i), static_cast<std::uint8_t>(i)));
    list.SetItems(std::move(items));
    list.SetSelected(3, true);
    list.SetSelected(1, true);
    IconPayload fromList = MakeIconPayload(list, IconSourceKind::LibrarianBar, "key", "title");
    EXPECT_EQ(fromList.indices, (std::vector<int>{1, 3}));
    EXPECT_EQ(fromList.icons[1].name, "n3");
}

TEST(IconPayload, HostilePayloadsAreRefused)
{
    const std::vector<std::uint8_t> good = EncodeIconPayload(Sample());
    ASSERT_TRUE(DecodeIconPayload(good));

    // Every truncation, and anything added after the end.
    for (std::size_t n = 0; n < good.size(); ++n)
        ASSERT_FALSE(DecodeIconPayload(std::span(good.data(), n))) << "cut at " << n;
    auto longer = good;
    longer.push_back(0);
    EXPECT_FALSE(DecodeIconPayload(longer));

    auto patched = [&](std::size_t at, std::uint32_t value, int width) {
        auto bytes = good;
        if (width == 4)
            StoreU32(bytes.data() + at, value);
        else if (width == 2)
            StoreU16(bytes.data() + at, static_cast<std::uint16_t>(value));
        else
            bytes[at] = static_cast<std::uint8_t>(value);
        return bytes;
    };
    EXPECT_FALSE(DecodeIconPayload(patched(0, 'X', 1)));        // magic
    EXPECT_FALSE(DecodeIconPayload(patched(4, 2, 2)));          // version
    EXPECT_FALSE(DecodeIconPayload(patched(6, 3, 1)));          // kind
    EXPECT_FALSE(DecodeIconPayload(patched(7, 0xFFFFFFFF, 4))); // key length
    const std::size_t countAt = 7 + 4 + Sample().sourceKey.size() + 4 + Sample().title.size();
    EXPECT_FALSE(DecodeIconPayload(patched(countAt, 0x7FFFFFFF, 4))); // more icons than bytes
    EXPECT_FALSE(DecodeIconPayload(patched(countAt, 70000, 4)));      // over the limit
    // The same index twice would remove the wrong icon in a move.
    EXPECT_FALSE(DecodeIconPayload(patched(countAt + 4, 1, 4)));
    // An icon's bytes that the ICO reader refuses.
    const std::size_t icoAt = countAt + 4 + 4 + 4 + 2 + 4;
    EXPECT_FALSE(DecodeIconPayload(patched(icoAt + 2, 2, 2)));               // ICO type
    EXPECT_FALSE(DecodeIconPayload(patched(icoAt + 6 + 12, 0x7FFFFFF0, 4))); // image offset
}

} // namespace
} // namespace kavrel
