#include <gtest/gtest.h>

#include "document/icon_document.h"
#include "shell/framework/doc_manager.h"

namespace kavrel {
namespace {

std::unique_ptr<CDocTemplate> IconTemplate(DocKind kind, IconSource** seen)
{
    return std::make_unique<CDocTemplate>(
        kind, 3, MenuKind::IconDocument, "\nIcon\nIcon\nIcon Files (*.ICO)\n.ico\nKavrel.Document\nIcon File",
        [seen](IconSource* source) {
            *seen = source;
            return std::make_unique<CIconDocument>(source);
        },
        nullptr, nullptr);
}

TEST(DocManager, TemplatesAreFoundByKindAndTheSourceReachesTheDocument)
{
    CDocManager docs;
    IconSource* seenByLibrary = nullptr;
    IconSource* seenByIcon = nullptr;
    // Registered out of the usual order: the kind decides, not the position.
    CDocTemplate& library = docs.AddTemplate(IconTemplate(DocKind::IconLibrary, &seenByLibrary));
    CDocTemplate& icon = docs.AddTemplate(IconTemplate(DocKind::Icon, &seenByIcon));
    EXPECT_EQ(docs.Template(DocKind::Icon), &icon);
    EXPECT_EQ(docs.Template(DocKind::IconLibrary), &library);
    EXPECT_EQ(docs.Template(DocKind::ProgramFile), nullptr);
    // A kind has one template.
    EXPECT_EQ(&docs.AddTemplate(IconTemplate(DocKind::Icon, &seenByIcon)), &icon);
    EXPECT_EQ(docs.Templates().size(), 2u);

    CIconGroup group;
    group.name = "Given";
    CIcon image;
    ASSERT_TRUE(image.AllocateImage(16, 16, 16));
    group.AddFormat(image);
    GroupIconSource source(group, true);
    auto* doc = static_cast<CIconDocument*>(icon.CreateDocument(&source));
    EXPECT_EQ(seenByIcon, &source);
    EXPECT_EQ(seenByLibrary, nullptr);
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(doc->GetName(), "Given");
    EXPECT_EQ(doc->GetFormat(0)->width, 16);
    // Without an argument the next document is the default one.
    auto* plain = static_cast<CIconDocument*>(icon.CreateDocument());
    EXPECT_EQ(seenByIcon, nullptr);
    ASSERT_TRUE(plain->OnNewDocument());
    EXPECT_EQ(plain->GetFormat(0)->width, 32);
}

} // namespace
} // namespace kavrel
