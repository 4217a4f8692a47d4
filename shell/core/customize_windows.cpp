#include "shell/core/customize_windows.h"

#include <filesystem>
#include <map>
#include <system_error>
#include <tuple>

#include "model/ico_file.h"
#include "model/png_image.h"
#include "model/render.h"
#include "platform/atomic_file.h"
#include "platform/prompter.h"
#include "platform/registry.h"
#include "resources/strings.h"
#include "shell/core/settings.h"

namespace kavrel {

namespace fs = std::filesystem;

namespace {

constexpr int kShellIconSizes[4] = {32, 48, 64, 72};
constexpr int kDefaultSpacing = 75;
constexpr const char* kArrowValue = "29";
constexpr const char* kArrowThemeName = "emblem-symbolic-link";

struct DesktopItem {
    const char* clsid;
    const char* valueName;
    const char* fallback;
    const char* themeName;
};

const DesktopItem kDesktopItems[] = {
    {"{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "", "Poste de travail", "computer"},
    {"{208D2C60-3AEA-1069-A2D7-08002B30309D}", "", "Voisinage réseau", "network-workgroup"},
    {"{85BBD920-42A0-1069-A2E4-08002B30309D}", "", "Porte document", ""},
    {kRecycleBinClsid, "empty", "Corbeille", "user-trash"},
    {kRecycleBinClsid, "full", "Corbeille", "user-trash-full"},
    {"{00020D76-0000-0000-C000-000000000046}", "", "Boite de réception", ""},
    {"{00020D75-0000-0000-C000-000000000046}", "", "Boite de réception", ""},
    {"{21EC2020-3AEA-1069-A2DD-08002B30309D}", "", "Panneau de configuration", ""},
    {"{a4d92740-67cd-11cf-96f2-00aa00a11dd9}", "", "Réseau à distance", ""},
    {"{992CFFA0-F557-101A-88EC-00DD010CCC48}", "", "Réseau à distance", ""},
    {"{00028B00-0000-0000-C000-000000000046}", "", "The Microsoft Network", ""},
    {"{2227A280-3AEA-1069-A2DE-08002B30309D}", "", "Imprimantes", "printer"},
    {"{BD84B380-8CA2-1069-AB1D-08000948F534}", "", "Polices", ""},
    {"{FBF23B42-E3F0-101B-8488-00AA003E56F8}", "", "Microsoft Internet", ""},
    {"{FF393560-C2A7-11CF-BFF4-444553540000}", "", "Url history folder", ""},
};

struct StandardIcon {
    int number;
    int stringId;
    const char* themeName;
};

const StandardIcon kStandardIcons[] = {
    {0, 49, ""},
    {1, 50, "text-x-generic"},
    {2, 51, "application-x-executable"},
    {3, 52, "folder"},
    {4, 53, "folder-open"},
    {5, 54, ""},
    {6, 55, "media-floppy"},
    {7, 56, "drive-removable-media"},
    {8, 57, "drive-harddisk"},
    {9, 58, "folder-remote"},
    {10, 59, ""},
    {11, 60, "drive-optical"},
    {12, 61, ""},
    {13, 62, ""},
    {14, 63, ""},
    {15, 64, ""}, // the desktop's computer item carries "computer"
    {16, 65, ""}, // ... and its printers item "printer"
    {18, 66, ""},
    {19, 67, ""},
    {20, 68, ""},
    {21, 69, ""},
    {22, 70, ""},
    {23, 71, ""},
    {24, 72, ""},
    {25, 73, ""},
    {26, 74, ""},
    {27, 75, ""},
    {40, 76, ""},
};

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// "path,index"; no comma: index 0.
void ParseIconValue(const std::string& text, std::string& path, int& index)
{
    std::size_t comma = text.rfind(',');
    if (comma == std::string::npos) {
        path = text;
        index = 0;
        return;
    }
    path = text.substr(0, comma);
    index = std::atoi(text.c_str() + comma + 1);
}

std::string IconValue(const std::string& path, int index)
{
    return path + "," + std::to_string(index);
}

std::string DefaultIconsKey()
{
    return std::string(kApplicationKey) + "\\DefaultIcons";
}

std::string ItemKey(const std::string& clsid)
{
    return "CLSID\\" + clsid + "\\DefaultIcon";
}

int ReadSpacing(const Registry& registry, const char* name)
{
    std::optional<std::string> text = registry.queryString(RegHive::CurrentUser, kWindowMetricsKey, name);
    int value = text ? std::atoi(text->c_str()) : 0;
    return value > 0 ? value : kDefaultSpacing;
}

class SettingsIconTheme : public DesktopIconTheme {
  public:
    SettingsIconTheme(ProgramRunner& programs, DesktopFolders folders)
        : programs_(programs), folders_(std::move(folders))
    {
    }
    std::string Current() override
    {
        std::string out;
        if (programs_.Exists("gsettings") &&
            programs_.Run({"gsettings", "get", "org.gnome.desktop.interface", "icon-theme"}, &out) == 0) {
            std::string name = Strip(out);
            if (name.size() >= 2 && name.front() == '\'')
                name = name.substr(1, name.size() - 2);
            return name;
        }
        if (auto kde = ReadTextFile(Kdeglobals()))
            if (auto theme = IniValue(*kde, "Icons", "Theme"))
                return *theme;
        if (programs_.Exists("xfconf-query") &&
            programs_.Run({"xfconf-query", "-c", "xsettings", "-p", "/Net/IconThemeName"}, &out) == 0)
            return Strip(out);
        return {};
    }
    bool Set(const std::string& name) override
    {
        std::string out;
        if (programs_.Exists("gsettings") &&
            programs_.Run({"gsettings", "get", "org.gnome.desktop.interface", "icon-theme"}, &out) == 0)
            return programs_.Run({"gsettings", "set", "org.gnome.desktop.interface", "icon-theme", name}) == 0;
        if (auto kde = ReadTextFile(Kdeglobals()))
            return WriteTextFile(Kdeglobals(), SetIniValue(*kde, "Icons", "Theme", name));
        if (programs_.Exists("xfconf-query") &&
            programs_.Run({"xfconf-query", "-c", "xsettings", "-p", "/Net/IconThemeName"}, &out) == 0)
            return programs_.Run({"xfconf-query", "-c", "xsettings", "-p", "/Net/IconThemeName", "-s", name}) == 0;
        return false;
    }

  private:
    static std::string Strip(std::string s)
    {
        while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
            s.pop_back();
        return s;
    }
    std::string Kdeglobals() const { return folders_.configHome + "/kdeglobals"; }
    ProgramRunner& programs_;
    DesktopFolders folders_;
};

} // namespace

std::string WindowsDirectory()
{
    return "C:\\WINDOWS";
}
std::string SystemDirectory()
{
    return WindowsDirectory() + "\\SYSTEM";
}
std::string Shell32Path()
{
    return SystemDirectory() + "\\shell32.dll";
}

DesktopIconTheme& SystemIconTheme(ProgramRunner& programs, const DesktopFolders& folders)
{
    static SettingsIconTheme theme(programs, folders);
    return theme;
}

CustomizeWindows::CustomizeWindows(Registry& registry, std::string programPath, DesktopFolders folders,
                                   DesktopIconTheme& theme, ProgramRunner& programs)
    : registry_(registry), program_(std::move(programPath)), folders_(std::move(folders)), theme_(theme),
      programs_(programs)
{
}

CustomParameters CustomizeWindows::ReadParameters() const
{
    CustomParameters p;
    std::string size = registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size").value_or("");
    p.sizeIndex = size == "48" ? 1 : size == "64" ? 2 : size == "72" ? 3 : 0;
    p.horizontalSpacing = ReadSpacing(registry_, "IconSpacing");
    p.verticalSpacing = ReadSpacing(registry_, "IconVerticalSpacing");
    p.arrow = registry_.queryString(RegHive::LocalMachine, kShellIconsKey, kArrowValue).value_or("").empty();
    std::string bpp = registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon BPP").value_or("");
    p.highColour = bpp == "16" || bpp == "24";
    return p;
}

std::vector<CustomEntry> CustomizeWindows::ReadDesktopItems()
{
    // A store that never held a shell's classes gets the values a fresh
    // shell has for the items the desktop also knows.
    if (!registry_.keyExists(RegHive::ClassesRoot, "CLSID")) {
        const std::string shell32 = "%SystemRoot%\\SYSTEM\\shell32.dll,";
        for (const auto& [clsid, name, index] :
             {std::tuple{"{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "", 15},
              std::tuple{"{208D2C60-3AEA-1069-A2D7-08002B30309D}", "", 17}, std::tuple{kRecycleBinClsid, "", 31},
              std::tuple{kRecycleBinClsid, "empty", 31}, std::tuple{kRecycleBinClsid, "full", 32},
              std::tuple{"{2227A280-3AEA-1069-A2DE-08002B30309D}", "", 16}})
            registry_.setString(RegHive::ClassesRoot, ItemKey(clsid), name, shell32 + std::to_string(index));
    }
    std::vector<CustomEntry> entries;
    for (const DesktopItem& item : kDesktopItems) {
        std::string value =
            registry_.queryString(RegHive::ClassesRoot, ItemKey(item.clsid), item.valueName).value_or("");
        if (value.empty())
            continue;
        CustomEntry e;
        e.desktopItem = true;
        e.clsid = item.clsid;
        e.valueName = item.valueName;
        e.themeName = item.themeName;
        ParseIconValue(value, e.path, e.index);
        std::optional<std::string> name =
            registry_.queryString(RegHive::ClassesRoot, "CLSID\\" + std::string(item.clsid), "");
        if (name && !name->empty()) {
            e.name = *name;
            for (char& c : e.name)
                if (c == '-')
                    c = ' ';
            if (e.valueName == "empty")
                e.name += LoadString(81);
            else if (e.valueName == "full")
                e.name += LoadString(82);
        } else {
            e.name = item.fallback;
        }
        std::string record = e.clsid + e.valueName;
        if (!registry_.queryString(RegHive::CurrentUser, DefaultIconsKey(), record))
            registry_.setString(RegHive::CurrentUser, DefaultIconsKey(), record, IconValue(e.path, e.index));
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<CustomEntry> CustomizeWindows::ReadStandardIcons() const
{
    std::vector<CustomEntry> entries;
    for (const StandardIcon& icon : kStandardIcons) {
        CustomEntry e;
        e.number = icon.number;
        e.name = LoadString(icon.stringId);
        e.themeName = icon.themeName;
        std::string value =
            registry_.queryString(RegHive::LocalMachine, kShellIconsKey, std::to_string(icon.number)).value_or("");
        if (value.empty()) {
            e.path = Shell32Path();
            e.index = icon.number;
        } else {
            ParseIconValue(value, e.path, e.index);
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

void CustomizeWindows::SetDefaultIcon(CustomEntry& entry) const
{
    if (!entry.desktopItem) {
        entry.path = Shell32Path();
        entry.index = entry.number;
        return;
    }
    if (auto record = registry_.queryString(RegHive::CurrentUser, DefaultIconsKey(), entry.clsid + entry.valueName))
        ParseIconValue(*record, entry.path, entry.index);
}

void CustomizeWindows::SetIcon(CustomEntry& entry, const std::string& path, int index)
{
    const std::string root = "%SystemRoot%";
    std::string windows = WindowsDirectory();
    std::string chosen = path;
    if (entry.path.starts_with(root) && path.size() >= windows.size() &&
        EqualNoCase(std::string_view(path).substr(0, windows.size()), windows))
        chosen = root + path.substr(windows.size());
    entry.path = chosen;
    entry.index = index;
}

void CustomizeWindows::Broadcast()
{
    notifications.push_back("WM_SETTINGCHANGE WindowMetrics");
}

void CustomizeWindows::RebuildIconCache()
{
    std::string size = registry_.queryString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size").value_or("");
    int value = size.empty() ? 32 : std::atoi(size.c_str());
    value = std::clamp(value, 32, 64);
    registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size", std::to_string(value + 1));
    Broadcast();
    registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size", std::to_string(value));
    Broadcast();
    registry_.save();
}

bool CustomizeWindows::Apply(const CustomParameters& p, const std::vector<CustomEntry>& desktop,
                             const std::vector<CustomEntry>& standard, bool fromClosing)
{
    std::string recycleKey = ItemKey(kRecycleBinClsid);
    std::optional<std::string> recycleDefault = registry_.queryString(RegHive::ClassesRoot, recycleKey, "");
    std::optional<std::string> recycleFull = registry_.queryString(RegHive::ClassesRoot, recycleKey, "Full");
    bool binShowsEmpty = recycleDefault && recycleFull && *recycleDefault != *recycleFull;

    const CustomParameters stored = ReadParameters();
    bool sizeChanged = p.sizeIndex != stored.sizeIndex;
    if (sizeChanged)
        registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon Size",
                            std::to_string(kShellIconSizes[std::clamp(p.sizeIndex, 0, 3)]));
    bool spacingChanged =
        p.horizontalSpacing != stored.horizontalSpacing || p.verticalSpacing != stored.verticalSpacing;
    if (spacingChanged) {
        registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "IconSpacing",
                            std::to_string(p.horizontalSpacing));
        registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "IconVerticalSpacing",
                            std::to_string(p.verticalSpacing));
    }
    bool arrowChanged = p.arrow != stored.arrow;
    if (arrowChanged) {
        if (p.arrow)
            registry_.deleteValue(RegHive::LocalMachine, kShellIconsKey, kArrowValue);
        else
            registry_.setString(RegHive::LocalMachine, kShellIconsKey, kArrowValue, program_ + ",14");
    }
    bool coloursChanged = p.highColour != stored.highColour;
    if (coloursChanged)
        registry_.setString(RegHive::CurrentUser, kWindowMetricsKey, "Shell Icon BPP", p.highColour ? "16" : "4");

    bool desktopChanged = false;
    for (const CustomEntry& e : desktop) {
        std::string key = ItemKey(e.clsid);
        std::optional<std::string> value = registry_.queryString(RegHive::ClassesRoot, key, e.valueName);
        if (!value)
            continue;
        std::string path;
        int index = 0;
        ParseIconValue(*value, path, index);
        std::string text = IconValue(e.path, e.index);
        if (path != e.path || index != e.index) {
            registry_.setString(RegHive::ClassesRoot, key, e.valueName, text);
            desktopChanged = true;
        }
        if (e.clsid == kRecycleBinClsid &&
            ((e.valueName == "empty" && binShowsEmpty) || (e.valueName == "full" && !binShowsEmpty))) {
            if (registry_.queryString(RegHive::ClassesRoot, key, "") != text) {
                registry_.setString(RegHive::ClassesRoot, key, "", text);
                desktopChanged = true;
            }
        }
        std::optional<std::string> record =
            registry_.queryString(RegHive::CurrentUser, DefaultIconsKey(), e.clsid + e.valueName);
        UpdateTheme(e, record && EqualNoCase(*record, text));
    }

    bool standardChanged = false;
    for (const CustomEntry& e : standard) {
        std::string name = std::to_string(e.number);
        bool isDefault = e.path == Shell32Path() && e.index == e.number;
        if (isDefault) {
            standardChanged = registry_.deleteValue(RegHive::LocalMachine, kShellIconsKey, name) || standardChanged;
        } else {
            std::string text = IconValue(e.path, e.index);
            std::optional<std::string> value = registry_.queryString(RegHive::LocalMachine, kShellIconsKey, name);
            if (!value || !EqualNoCase(*value, text)) {
                registry_.setString(RegHive::LocalMachine, kShellIconsKey, name, text);
                standardChanged = true;
            }
        }
        UpdateTheme(e, isDefault);
    }
    if (arrowChanged) {
        CustomEntry arrow;
        arrow.themeName = kArrowThemeName;
        UpdateTheme(arrow, p.arrow);
    }
    registry_.save();

    if (desktopChanged && !sizeChanged && !spacingChanged && !arrowChanged && !standardChanged)
        notifications.push_back("SHChangeNotify SHCNE_ASSOCCHANGED");
    if (sizeChanged || spacingChanged || arrowChanged || standardChanged) {
        if (arrowChanged || standardChanged)
            RebuildIconCache();
        Broadcast();
    }
    if (themeChanged_ || !fs::exists(ThemeFolder() + "/index.theme"))
        WriteIndexTheme();
    themeChanged_ = false;
    if (coloursChanged && !fromClosing)
        Prompts().Message(LoadString(79), MB_OK | MB_ICONINFORMATION);
    return coloursChanged;
}

std::string CustomizeWindows::ThemeFolder() const
{
    return folders_.dataHome + "/icons/" + kIconThemeName;
}

void CustomizeWindows::UpdateTheme(const CustomEntry& entry, bool isDefault)
{
    if (entry.themeName.empty())
        return;
    std::error_code ec;
    std::string folder = ThemeFolder();
    // Our files for this name at every size go first, so that no size of an
    // earlier choice stays behind.
    std::vector<fs::path> old;
    if (fs::is_directory(folder, ec))
        for (const auto& sizeDir : fs::directory_iterator(folder, ec)) {
            fs::path file = sizeDir.path() / "apps" / (entry.themeName + ".png");
            if (fs::exists(file, ec))
                old.push_back(file);
        }

    std::map<int, std::vector<std::uint8_t>> images; // size, PNG
    if (!isDefault && entry.path.empty()) {
        // The hidden shortcut arrow: an empty emblem.
        for (int size : {16, 32}) {
            PngPixels clear{size, size, std::vector<std::uint32_t>(static_cast<std::size_t>(size * size), 0)};
            images[size] = EncodePng(clear);
        }
    } else if (!isDefault) {
        std::vector<CIconGroup> groups;
        if (LoadIconsFromFile(groups, entry.path) <= entry.index || entry.index < 0)
            return; // a file that gives no icon leaves the theme as it was
        const CIconGroup& group = groups[static_cast<std::size_t>(entry.index)];
        std::map<int, const CIcon*> deepest;
        for (int i = 0; i < group.FormatCount(); ++i) {
            const CIcon* icon = group.GetFormat(i);
            if (icon->width != icon->height)
                continue;
            const CIcon*& best = deepest[icon->width];
            if (!best || icon->bitCount() > best->bitCount() || (icon->bitCount() == best->bitCount() && icon->isPng()))
                best = icon;
        }
        for (auto [size, icon] : deepest)
            if (auto pixels = RenderWithAlpha(*icon))
                images[size] = EncodePng(*pixels);
    }
    for (const fs::path& file : old) {
        fs::remove(file, ec);
        themeChanged_ = true;
    }
    for (const auto& [size, png] : images) {
        std::string dir = folder + "/" + std::to_string(size) + "x" + std::to_string(size) + "/apps";
        fs::create_directories(dir, ec);
        if (WriteFileAtomically(dir + "/" + entry.themeName + ".png", png))
            themeChanged_ = true;
    }
}

void CustomizeWindows::WriteIndexTheme()
{
    std::string folder = ThemeFolder();
    std::error_code ec;
    std::vector<int> sizes;
    if (fs::is_directory(folder, ec))
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::string name = entry.path().filename().string();
            int size = std::atoi(name.c_str());
            if (size > 0 && name == std::to_string(size) + "x" + std::to_string(size) &&
                fs::is_directory(entry.path() / "apps", ec))
                sizes.push_back(size);
        }
    std::sort(sizes.begin(), sizes.end());
    std::string base = theme_.Current();
    if (base == kIconThemeName)
        base =
            registry_.queryString(RegHive::CurrentUser, std::string(kApplicationKey) + "\\desktop", "ReplacedIconTheme")
                .value_or("");
    std::string inherits = base.empty() || base == "hicolor" ? "hicolor" : base + ",hicolor";
    std::string directories;
    std::string groups;
    for (int size : sizes) {
        std::string dir = std::to_string(size) + "x" + std::to_string(size) + "/apps";
        directories += (directories.empty() ? "" : ",") + dir;
        groups += "\n[" + dir + "]\nSize=" + std::to_string(size) + "\nType=Fixed\n";
    }
    std::string text = std::string("[Icon Theme]\nName=") + kIconThemeName +
                       "\nComment=Icons chosen in Customize Windows\nInherits=" + inherits +
                       "\nDirectories=" + directories + "\n" + groups;
    WriteTextFile(folder + "/index.theme", text);
    // An existing cache would hide the new files; none is created.
    if (fs::exists(folder + "/icon-theme.cache", ec) && programs_.Exists("gtk-update-icon-cache"))
        programs_.Run({"gtk-update-icon-cache", "-f", "-t", "-q", folder});
}

bool CustomizeWindows::UsingTheme()
{
    return theme_.Current() == kIconThemeName;
}

void CustomizeWindows::UseTheme(bool use)
{
    std::string key = std::string(kApplicationKey) + "\\desktop";
    std::string current = theme_.Current();
    if (use && current != kIconThemeName) {
        registry_.setString(RegHive::CurrentUser, key, "ReplacedIconTheme", current);
        WriteIndexTheme();
        theme_.Set(kIconThemeName);
    } else if (!use && current == kIconThemeName) {
        std::string replaced = registry_.queryString(RegHive::CurrentUser, key, "ReplacedIconTheme").value_or("");
        theme_.Set(replaced.empty() ? "hicolor" : replaced);
    }
    registry_.save();
}

} // namespace kavrel
