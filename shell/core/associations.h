// The ICO and icon-library file associations: the ten HKEY_CLASSES_ROOT
// entries, and what makes them real on the Linux desktop (a desktop entry,
// a MIME package for the library type, the default handler in mimeapps.list
// and a thumbnailer), all in the user's own XDG folders. Checked at start-up;
// written only by a repair.
#pragma once

#include <functional>
#include <string>

#include "shell/core/desktop_files.h"

namespace kavrel {

class Registry;

inline constexpr const char* kDesktopId = "kavrel";
inline constexpr const char* kIcoMimeType = "image/vnd.microsoft.icon";
inline constexpr const char* kLibraryMimeType = "application/x-kavrel-icon-library";

// The kavrel-cli that makes thumbnails: beside the program, else in the
// build tree's cli/ folder, else on the PATH.
std::string FindCliBeside(const std::string& programPath);

class FileAssociations {
  public:
    // programPath: the running program, whole; cliPath: kavrel-cli.
    FileAssociations(Registry& registry, std::string programPath, std::string cliPath, DesktopFolders folders,
                     ProgramRunner& programs);

    // True when every registry entry of both groups holds its text (case
    // ignored) and every desktop file is in place and names this program.
    bool Check() const;
    // Writes the groups chosen (nothing when neither is) and refreshes the
    // desktop's databases. False when a file could not be written.
    bool Repair(bool libraries, bool icons);

    std::string DesktopEntryPath() const;
    std::string MimePackagePath() const;
    std::string ThumbnailerPath() const;
    std::string MimeAppsPath() const;
    std::string DesktopEntryText() const;
    std::string MimePackageText() const;
    std::string ThumbnailerText() const;
    std::string OpenCommand() const; // the registry's "shell\open\command"

  private:
    Registry& registry_;
    std::string program_;
    std::string cli_;
    DesktopFolders folders_;
    ProgramRunner& programs_;
};

// The four boxes of "WARNING : File Associations".
struct AssociationChoices {
    int icons = 1;       // TypesTypeIco
    int libraries = 1;   // TypesTypeIcl
    int showWarning = 1; // ShowWarnTypes
    int autoRepair = 0;  // TypesCorrectionAuto
};

class AssociationWarning {
  public:
    virtual ~AssociationWarning() = default;
    // Shows the dialog with the boxes as given; they come back as left.
    // True when it ended with "&Repair Association".
    virtual bool Show(AssociationChoices& choices) = 0;
};

enum class AssociationStep { Correct, Repaired, Warned, Nothing };

// The start-up step: check; repair silently, warn, or do nothing as the
// settings say. closeSplash runs before the dialog shows.
AssociationStep CheckAssociationsAtStartup(FileAssociations& associations, AssociationWarning& warning,
                                           const std::function<void()>& closeSplash);

} // namespace kavrel
