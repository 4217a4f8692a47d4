// import-picture IN --size WxH --depth D -o OUT.ico: a BMP, DIB, RLE, JPEG or PNG
// picture fitted into a new image format, saved as an ICO file.
#include <string>

#include "cli/commands.h"
#include "model/ico_file.h"
#include "model/picture_import.h"

namespace kavrel::cli {

namespace {

bool ParseSize(const std::string& text, int& width, int& height)
{
    auto x = text.find_first_of("xX");
    if (x == std::string::npos)
        return false;
    auto w = ParsePositiveInt(text.substr(0, x));
    auto h = ParsePositiveInt(text.substr(x + 1));
    if (!w || !h || *w > kMaxImageSide || *h > kMaxImageSide)
        return false;
    width = *w;
    height = *h;
    return true;
}

} // namespace

int RunImportPicture(const std::vector<std::string>& argv, Io& io)
{
    std::string error;
    auto args = ParseArgs(argv, {"--size", "--depth", "-o"}, {}, error);
    if (!args)
        return UsageError(io, "import-picture", error);
    if (args->positional.size() != 1)
        return UsageError(io, "import-picture", "give one picture");
    auto sizeText = args->value("--size");
    auto depthText = args->value("--depth");
    auto out = args->value("-o");
    if (!sizeText || !depthText || !out)
        return UsageError(io, "import-picture", "give --size, --depth and -o");
    int width = 0, height = 0;
    if (!ParseSize(*sizeText, width, height))
        return UsageError(io, "import-picture", "--size takes WxH, each from 1 to " + std::to_string(kMaxImageSide));
    auto depth = ParsePositiveInt(*depthText);
    if (!depth || (*depth != 1 && *depth != 4 && *depth != 8 && *depth != 24))
        return UsageError(io, "import-picture", "--depth takes 1, 4, 8 or 24");

    const std::string& in = args->positional[0];
    if (PictureKindOf(in) == PictureKind::None)
        return Failure(io, in + ": not a picture (BMP, DIB, RLE, JPEG or PNG)");
    auto format = ImportPictureAsFormat(in, width, height, *depth);
    if (!format)
        return Failure(io, in + ": cannot read the picture");
    if (!WriteIcoFile(*out, {&format->packed}))
        return Failure(io, *out + ": cannot write the file");
    return kExitOk;
}

} // namespace kavrel::cli
