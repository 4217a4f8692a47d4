#include "cli/cli.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <system_error>

#include "cli/commands.h"
#include "model/ico_file.h"
#include "model/program_file.h"
#include "platform/atomic_file.h"
#include "platform/byte_reader.h"
#include "resources/strings.h"

namespace kavrel::cli {

std::optional<std::string> Args::value(const std::string& name) const
{
    auto it = options.find(name);
    if (it == options.end())
        return std::nullopt;
    return it->second;
}

std::optional<Args> ParseArgs(const std::vector<std::string>& argv, const std::set<std::string>& valued,
                              const std::set<std::string>& flags, std::string& error)
{
    Args args;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::string& a = argv[i];
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            args.positional.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = a;
        std::optional<std::string> inlineValue;
        if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            inlineValue = a.substr(eq + 1);
        }
        if (flags.count(name)) {
            if (inlineValue) {
                error = "option " + name + " takes no value";
                return std::nullopt;
            }
            args.options[name] = "";
        } else if (valued.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= argv.size()) {
                    error = "option " + name + " needs a value";
                    return std::nullopt;
                }
                inlineValue = argv[++i];
            }
            if (args.options.count(name)) {
                error = "option " + name + " given twice";
                return std::nullopt;
            }
            args.options[name] = *inlineValue;
        } else {
            error = "unknown option " + name;
            return std::nullopt;
        }
    }
    return args;
}

std::optional<int> ParsePositiveInt(const std::string& text)
{
    int v = 0;
    auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || p != text.data() + text.size() || v <= 0)
        return std::nullopt;
    return v;
}

std::optional<COLORREF> ParseRgbHex(const std::string& text)
{
    std::string hex = text.starts_with("#") ? text.substr(1) : text;
    if (hex.size() != 6)
        return std::nullopt;
    unsigned v = 0;
    auto [p, ec] = std::from_chars(hex.data(), hex.data() + hex.size(), v, 16);
    if (ec != std::errc() || p != hex.data() + hex.size())
        return std::nullopt;
    return RGB(static_cast<int>(v >> 16), static_cast<int>(v >> 8), static_cast<int>(v));
}

bool LoadIcons(const std::string& path, std::vector<CIconGroup>& groups, Io& io, bool salvage, ImageBytes bytes)
{
    // A file whose name says neither icon, library nor program file gives nothing.
    const FileKindType kind = FileKind(path);
    if (kind == FileKindType::ProgramFile || kind == FileKindType::IconLibrary) {
        if (ReadProgramFileIcons(groups, path, NullProgress(), bytes) > 0)
            return true;
    } else if (auto file = kind == FileKindType::Icon ? FileReader::Open(path) : nullptr) {
        std::vector<std::uint64_t> offsets;
        IcoImageCount count;
        if (ReadIcoGroupWithOffsets(*file, groups, offsets, salvage ? IcoReadMode::IntactImages : IcoReadMode::Whole,
                                    &count, bytes)) {
            for (int i = 0; i < groups.back().FormatCount(); ++i)
                groups.back().GetFormat(i)->sourceOffset = offsets[static_cast<std::size_t>(i)];
            if (count.read < count.listed)
                io.err << path << ": " << count.read << " of " << count.listed
                       << " images read; the others are damaged\n";
            return true;
        }
    }
    io.err << path << ": " << FormatString(55048, path) << "\n";
    return false;
}

std::string EscapedName(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    auto escape = [&](unsigned char c) {
        switch (c) {
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    };
    // The length of a well-formed UTF-8 sequence at i, else 0.
    auto sequence = [&](std::size_t i) -> std::size_t {
        const auto c = static_cast<unsigned char>(name[i]);
        const std::size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
        if (n == 0 || i + n > name.size())
            return 0;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80)
                return 0;
        return n;
    };
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        const std::size_t n = c >= 0x80 ? sequence(i) : 0;
        if (n == 2 && c == 0xC2 && static_cast<unsigned char>(name[i + 1]) <= 0x9F) {
            // U+0080 to U+009F
            escape(c);
            escape(static_cast<unsigned char>(name[++i]));
        } else if (n > 0) {
            out.append(name, i, n);
            i += n - 1;
        } else if (c < 0x20 || c == 0x7F || c == '\\' || (c >= 0x80 && c <= 0x9F)) {
            escape(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string FreePath(const std::string& dir, const std::string& stem, const std::string& ext)
{
    namespace fs = std::filesystem;
    for (int n = 1;; ++n) {
        std::string name = n == 1 ? stem + ext : stem + " (" + std::to_string(n) + ")" + ext;
        fs::path p = fs::path(dir) / name;
        std::error_code ec;
        // symlink_status: a dangling link still occupies the name.
        if (!fs::exists(fs::symlink_status(p, ec)))
            return p.string();
    }
}

// One line per command; a new command adds its line here and its declaration
// in commands.h.
const std::vector<Command>& Commands()
{
    static const std::vector<Command> table = {
        {"list", "[--offsets] [--salvage] FILE...", "list the icons of files and their formats", RunList},
        {"extract", "[--salvage] FILE -o DIR", "save every icon of a file as an ICO file in DIR", RunExtract},
        {"render", "[--salvage] FILE --icon N --format WxHxD|best [--background RRGGBB] -o OUT.png",
         "draw one format of an icon as a thumbnail is drawn, as PNG", RunRender},
        {"convert", "[--salvage] IN OUT.ico [--icon N]", "read an icon and write it back as an ICO file", RunConvert},
        {"to-icl", "[--salvage] OUT.icl INPUT...", "put every icon of the inputs into one new icon library", RunToIcl},
        {"import-picture", "IN --size WxH --depth D -o OUT.ico",
         "fit a BMP, DIB, RLE, JPEG or PNG picture into a new image format, saved as an ICO file", RunImportPicture},
        {"create", "OUT.ico IN.png... [--sizes 16,24,32,48,256] [--png-above 128]",
         "make an icon of 32-bit images with alpha from one large PNG picture (every size made from it) or "
         "several (each at its own size)",
         RunCreate},
        {"thumbnail", "[-s SIZE] IN OUT.png",
         "the first icon of a file as a file manager's thumbnail, at most SIZE pixels (default 128)", RunThumbnail},
    };
    return table;
}

static const Command* FindCommand(const std::string& name)
{
    for (const Command& c : Commands())
        if (name == c.name)
            return &c;
    return nullptr;
}

static void PrintUsage(std::ostream& s)
{
    s << "usage: kavrel-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const Command& c : Commands())
        s << "  " << c.name << " " << c.synopsis << "\n      " << c.summary << "\n";
    s << "\nexit status: 0 ok, 1 a file gave no icons or an operation failed, 2 usage error\n";
}

int UsageError(Io& io, const std::string& command, const std::string& message)
{
    io.err << "kavrel-cli: " << message << "\n";
    if (const Command* c = FindCommand(command))
        io.err << "usage: kavrel-cli " << c->name << " " << c->synopsis << "\n";
    return kExitUsage;
}

int Failure(Io& io, const std::string& message)
{
    io.err << "kavrel-cli: " << message << "\n";
    return kExitFailed;
}

int RefuseUnwritableTarget(Io& io, const std::string& path)
{
    const int error = ReplaceRefusal(path);
    if (error == 0)
        return kExitOk;
    if (error == EACCES || error == EPERM)
        return Failure(io, path + ": the file is read-only; it was not replaced");
    return WriteFailure(io, path, error);
}

int WriteFailure(Io& io, const std::string& path, int error)
{
    const std::string reason = SystemErrorText(error);
    return Failure(io, path + ": cannot write the file" + (reason.empty() ? std::string() : " (" + reason + ")"));
}

int Main(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    Io io{out, err};
    std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (args.empty()) {
        PrintUsage(err);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintUsage(out);
        return kExitOk;
    }
    const Command* c = FindCommand(args[0]);
    if (!c) {
        err << "kavrel-cli: unknown command " << args[0] << "\n";
        PrintUsage(err);
        return kExitUsage;
    }
    args.erase(args.begin());
    int status = c->run(args, io);
    out.flush();
    return status;
}

} // namespace kavrel::cli
