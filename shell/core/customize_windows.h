// Customize Windows: how the desktop shows icons. The shell's own values live
// in the registry store (icon size, spacing, shortcut arrow, colour depth,
// desktop items and standard icons); Apply writes them in a fixed order and
// records the notifications a shell would get. On Linux, Apply also keeps a
// user icon theme "Kavrel" holding the icons chosen, over the desktop's own.
#pragma once

#include <string>
#include <vector>

#include "shell/core/desktop_files.h"

namespace kavrel {

class Registry;

inline constexpr const char* kWindowMetricsKey = "Control Panel\\Desktop\\WindowMetrics";
inline constexpr const char* kShellIconsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Icons";
inline constexpr const char* kRecycleBinClsid = "{645FF040-5081-101B-9F08-00AA002F954E}";
inline constexpr const char* kIconThemeName = "Kavrel";

// The stand-ins for the Windows folders that the shell's values name.
std::string WindowsDirectory();
std::string SystemDirectory();
std::string Shell32Path(); // "shell32.dll" in the system directory

struct CustomParameters {
    int sizeIndex = 0; // 0-3: 32, 48, 64, 72
    int horizontalSpacing = 0;
    int verticalSpacing = 0;
    bool arrow = true;
    bool highColour = false;
    bool operator==(const CustomParameters&) const = default;
};

struct CustomEntry {
    bool desktopItem = false;
    std::string name;
    std::string path; // the icon's file
    int index = 0;    // the icon's index in it
    // desktop items
    std::string clsid;
    std::string valueName; // "" (the default value), "empty" or "full"
    // standard icons
    int number = 0;
    std::string themeName; // the freedesktop icon name it stands for; empty: none
};

// The desktop's icon-theme setting.
class DesktopIconTheme {
  public:
    virtual ~DesktopIconTheme() = default;
    virtual std::string Current() = 0; // empty when no known setting exists
    virtual bool Set(const std::string& name) = 0;
};
// gsettings, KDE's kdeglobals or xfconf-query, whichever this desktop has.
DesktopIconTheme& SystemIconTheme(ProgramRunner& programs, const DesktopFolders& folders);

class CustomizeWindows {
  public:
    CustomizeWindows(Registry& registry, std::string programPath, DesktopFolders folders, DesktopIconTheme& theme,
                     ProgramRunner& programs);

    // The page values read afresh from the store.
    CustomParameters ReadParameters() const;
    // The 15 desktop items that have an icon value; each is recorded once in
    // "DefaultIcons" as its default.
    std::vector<CustomEntry> ReadDesktopItems();
    // The 28 standard icons.
    std::vector<CustomEntry> ReadStandardIcons() const;

    // "&Default icon": the entry's default (nothing for a desktop item without a record).
    void SetDefaultIcon(CustomEntry& entry) const;
    // Change icon: the new path keeps the "%SystemRoot%" form when the old
    // one had it and the file lies in the Windows folder.
    static void SetIcon(CustomEntry& entry, const std::string& path, int index);

    // Apply in its order; fromClosing: no restart message. True when the
    // colour depth changed.
    bool Apply(const CustomParameters& parameters, const std::vector<CustomEntry>& desktop,
               const std::vector<CustomEntry>& standard, bool fromClosing);
    void RebuildIconCache();

    // "Use these icons on this desktop".
    bool UsingTheme();
    void UseTheme(bool use);
    std::string ThemeFolder() const;

    // What a shell would have been told, in order: "SHChangeNotify
    // SHCNE_ASSOCCHANGED" and "WM_SETTINGCHANGE WindowMetrics".
    std::vector<std::string> notifications;

  private:
    void Broadcast();
    void UpdateTheme(const CustomEntry& entry, bool isDefault);
    void WriteIndexTheme();

    Registry& registry_;
    std::string program_;
    DesktopFolders folders_;
    DesktopIconTheme& theme_;
    ProgramRunner& programs_;
    bool themeChanged_ = false;
};

} // namespace kavrel
