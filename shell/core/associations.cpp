#include "shell/core/associations.h"

#include <filesystem>
#include <system_error>

#include "platform/registry.h"
#include "shell/core/settings.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

enum class Group { Libraries, Icons };

struct Entry {
    const char* key;
    enum { Type, Command, Icon } value;
    Group group;
    const char* type;
};

const Entry kEntries[] = {
    {".il", Entry::Type, Group::Libraries, "iclfile"},
    {".nil", Entry::Type, Group::Libraries, "iclfile"},
    {".icl", Entry::Type, Group::Libraries, "iclfile"},
    {"iclfile\\shell\\open\\command", Entry::Command, Group::Libraries, nullptr},
    {"iclfile\\shell\\edit\\command", Entry::Command, Group::Libraries, nullptr},
    {"iclfile\\DefaultIcon", Entry::Icon, Group::Libraries, nullptr},
    {".ico", Entry::Type, Group::Icons, "icofile"},
    {"icofile\\shell\\open\\command", Entry::Command, Group::Icons, nullptr},
    {"icofile\\shell\\edit\\command", Entry::Command, Group::Icons, nullptr},
    {"icofile\\DefaultIcon", Entry::Icon, Group::Icons, nullptr},
};

// Program files as the shared MIME database names them; the NE type only
// where the system defines it.
const char* const kProgramMimeTypes[] = {"application/x-ms-dos-executable", "application/x-msdownload",
                                         "application/vnd.microsoft.portable-executable"};
const char* const kNeMimeType = "application/x-ms-ne-executable";

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool SystemDefines(const std::string& type)
{
    std::error_code ec;
    return fs::exists("/usr/share/mime/" + type + ".xml", ec);
}

} // namespace

std::string FindCliBeside(const std::string& programPath)
{
    fs::path folder = fs::path(programPath).parent_path();
    std::error_code ec;
    for (const fs::path& candidate : {folder / "kavrel-cli", folder.parent_path() / "cli" / "kavrel-cli"})
        if (fs::is_regular_file(candidate, ec))
            return fs::weakly_canonical(candidate, ec).string();
    return "kavrel-cli";
}

FileAssociations::FileAssociations(Registry& registry, std::string programPath, std::string cliPath,
                                   DesktopFolders folders, ProgramRunner& programs)
    : registry_(registry), program_(std::move(programPath)), cli_(std::move(cliPath)), folders_(std::move(folders)),
      programs_(programs)
{
}

std::string FileAssociations::OpenCommand() const
{
    // The whole path: a cut one would name a program that does not exist.
    return program_ + " %1";
}

std::string FileAssociations::DesktopEntryPath() const
{
    return folders_.dataHome + "/applications/" + kDesktopId + ".desktop";
}
std::string FileAssociations::MimePackagePath() const
{
    return folders_.dataHome + "/mime/packages/" + kDesktopId + ".xml";
}
std::string FileAssociations::ThumbnailerPath() const
{
    return folders_.dataHome + "/thumbnailers/" + kDesktopId + ".thumbnailer";
}
std::string FileAssociations::MimeAppsPath() const
{
    return folders_.configHome + "/mimeapps.list";
}

std::string FileAssociations::DesktopEntryText() const
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Kavrel\n"
           "GenericName=Icon Editor\n"
           "Comment=Draw icons and keep icon libraries\n"
           "Exec=" +
           DesktopExecArgument(program_) +
           " %f\n"
           "Icon=applications-graphics\n"
           "Terminal=false\n"
           "Categories=Graphics;2DGraphics;RasterGraphics;\n"
           "MimeType=" +
           std::string(kIcoMimeType) + ";" + kLibraryMimeType + ";\n";
}

std::string FileAssociations::MimePackageText() const
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                       "  <mime-type type=\"") +
           kLibraryMimeType +
           "\">\n"
           "    <comment>Icon library</comment>\n"
           "    <glob pattern=\"*.icl\"/>\n"
           "    <glob pattern=\"*.il\"/>\n"
           "    <glob pattern=\"*.nil\"/>\n"
           "  </mime-type>\n"
           "</mime-info>\n";
}

std::string FileAssociations::ThumbnailerText() const
{
    std::string types = std::string(kIcoMimeType) + ";" + kLibraryMimeType + ";";
    for (const char* type : kProgramMimeTypes)
        types += std::string(type) + ";";
    if (SystemDefines(kNeMimeType))
        types += std::string(kNeMimeType) + ";";
    // TryExec names a file, unquoted; only the string escapes apply.
    std::string tryExec;
    for (char c : cli_)
        tryExec += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return "[Thumbnailer Entry]\n"
           "TryExec=" +
           tryExec +
           "\n"
           "Exec=" +
           DesktopExecArgument(cli_) +
           " thumbnail -s %s %i %o\n"
           "MimeType=" +
           types + "\n";
}

bool FileAssociations::Check() const
{
    for (const Entry& e : kEntries) {
        std::optional<std::string> value = registry_.queryString(RegHive::ClassesRoot, e.key, "");
        std::string expected = e.value == Entry::Type ? e.type : e.value == Entry::Command ? OpenCommand() : "%1";
        if (!value || !EqualNoCase(*value, expected))
            return false;
    }
    if (ReadTextFile(DesktopEntryPath()) != DesktopEntryText() ||
        ReadTextFile(MimePackagePath()) != MimePackageText() || ReadTextFile(ThumbnailerPath()) != ThumbnailerText())
        return false;
    std::string mimeApps = ReadTextFile(MimeAppsPath()).value_or("");
    std::string id = std::string(kDesktopId) + ".desktop";
    return MimeAppsDefault(mimeApps, kIcoMimeType) == id && MimeAppsDefault(mimeApps, kLibraryMimeType) == id;
}

bool FileAssociations::Repair(bool libraries, bool icons)
{
    if (!libraries && !icons)
        return true;
    for (const Entry& e : kEntries) {
        if ((e.group == Group::Libraries ? libraries : icons) == false)
            continue;
        std::string value = e.value == Entry::Type ? e.type : e.value == Entry::Command ? OpenCommand() : "%1";
        registry_.setString(RegHive::ClassesRoot, e.key, "", value);
    }
    bool written = registry_.saveHive(RegHive::ClassesRoot);
    written = WriteTextFile(DesktopEntryPath(), DesktopEntryText()) && written;
    written = WriteTextFile(MimePackagePath(), MimePackageText()) && written;
    written = WriteTextFile(ThumbnailerPath(), ThumbnailerText()) && written;
    std::string mimeApps = ReadTextFile(MimeAppsPath()).value_or("");
    std::string id = std::string(kDesktopId) + ".desktop";
    if (icons)
        mimeApps = SetMimeAppsDefault(mimeApps, kIcoMimeType, id);
    if (libraries)
        mimeApps = SetMimeAppsDefault(mimeApps, kLibraryMimeType, id);
    written = WriteTextFile(MimeAppsPath(), mimeApps) && written;

    if (programs_.Exists("update-mime-database"))
        programs_.Run({"update-mime-database", folders_.dataHome + "/mime"});
    if (programs_.Exists("update-desktop-database"))
        programs_.Run({"update-desktop-database", folders_.dataHome + "/applications"});
    return written;
}

AssociationStep CheckAssociationsAtStartup(FileAssociations& associations, AssociationWarning& warning,
                                           const std::function<void()>& closeSplash)
{
    if (associations.Check())
        return AssociationStep::Correct;
    if (TypesCorrectionAuto == 1) {
        associations.Repair(TypesTypeIcl == 1, TypesTypeIco == 1);
        return AssociationStep::Repaired;
    }
    if (ShowWarnTypes == 0)
        return AssociationStep::Nothing;
    if (closeSplash)
        closeSplash();
    AssociationChoices choices{TypesTypeIco, TypesTypeIcl, ShowWarnTypes, TypesCorrectionAuto};
    bool repair = warning.Show(choices);
    TypesTypeIco = choices.icons;
    TypesTypeIcl = choices.libraries;
    ShowWarnTypes = choices.showWarning;
    TypesCorrectionAuto = choices.autoRepair;
    if (repair)
        associations.Repair(TypesTypeIcl == 1, TypesTypeIco == 1);
    return AssociationStep::Warned;
}

} // namespace kavrel
