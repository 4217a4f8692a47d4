// render FILE --icon N --format WxHxD|best [--background RRGGBB] -o OUT.png
#include "cli/commands.h"
#include "model/png_image.h"
#include "model/render.h"
#include "platform/atomic_file.h"

namespace kavrel::cli {

int RunRender(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"--icon", "--format", "--background", "-o", "--output"}, {"--salvage"}, error);
    if (!args)
        return UsageError(io, "render", error);
    auto out = args->value("-o");
    if (!out)
        out = args->value("--output");
    if (args->positional.size() != 1)
        return UsageError(io, "render", "give one file");
    if (!out || out->empty())
        return UsageError(io, "render", "no output file (-o OUT.png)");
    auto iconText = args->value("--icon");
    auto number = iconText ? ParsePositiveInt(*iconText) : std::optional<int>(1);
    if (!number)
        return UsageError(io, "render", "--icon takes an icon number from 1");
    auto format = args->value("--format");
    if (!format || format->empty())
        return UsageError(io, "render", "no format (--format WxHxD or best)");
    COLORREF background = RGB(255, 255, 255);
    if (auto bg = args->value("--background")) {
        auto c = ParseRgbHex(*bg);
        if (!c)
            return UsageError(io, "render", "--background takes a colour as RRGGBB");
        background = *c;
    }

    const std::string& path = args->positional[0];
    std::vector<CIconGroup> groups;
    if (!LoadIcons(path, groups, io, args->has("--salvage")))
        return kExitFailed;
    if (static_cast<std::size_t>(*number) > groups.size())
        return Failure(io, path + ": no icon " + std::to_string(*number) + " (the file holds " +
                               std::to_string(groups.size()) + ")");
    const CIconGroup& group = groups[static_cast<std::size_t>(*number - 1)];
    if (group.FormatCount() == 0)
        return Failure(io, path + ": icon " + std::to_string(*number) + " has no format");

    const CIcon* icon = nullptr;
    if (*format == "best") {
        icon = group.GetFormat(group.BestFormat(2, 2));
    } else {
        for (int i = 0; i < group.FormatCount() && !icon; ++i)
            if (group.GetFormat(i)->FormatLabel() == *format)
                icon = group.GetFormat(i);
        if (!icon)
            return Failure(io, path + ": icon " + std::to_string(*number) + " has no format " + *format);
    }

    Bitmap picture = RenderComposite(*icon, background);
    if (picture.isNull())
        return Failure(io, path + ": the " + icon->FormatLabel() + " image cannot be decoded");
    PngPixels pixels{picture.width(), picture.height(), {}};
    pixels.argb.assign(picture.colorBits(), picture.colorBits() + std::size_t(picture.width()) * picture.height());
    for (auto& p : pixels.argb)
        p |= 0xFF000000u;
    std::vector<std::uint8_t> png = EncodePng(pixels);
    if (png.empty() || !WriteFileAtomically(*out, png))
        return Failure(io, *out + ": cannot write the file");
    return kExitOk;
}

} // namespace kavrel::cli
