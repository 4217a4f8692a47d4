#include "shell/core/settings.h"

#include <algorithm>
#include <cstdio>

#include "platform/registry.h"

namespace kavrel {

// prefs (CouleursJPEG and EcoRes live in the model layer, the editor's in
// editor/settings_editor.cpp, the librarian's in librarian/settings_librarian.cpp)
int OptionsDeCollage = 1;
int IconeAuto = 1;
int ReorganiseAuto = 1;
int ReorganiseLancement = 1;
int AfficheTaille = 0;
int ShowWarnColor16 = 1;
int ShowBienvenue = 1;
int IndexOfTheTip = 0;
int ReorganiserPalettes = 1;
int PosEditeur = 2;
int PosPalette = 1;
int Agrandissement = 0;
int ShowIcoToolBar = 1;
int ShowIclToolBar = 1;
int ShowExeToolBar = 1;
int TypeReorganisation = 1;
int ShowWarnExeType = 1;
int ShowWarnTypes = 1;
int TypesCorrectionAuto = 0;
int TypesTypeIcl = 1;
int TypesTypeIco = 1;

std::uint32_t ClipBoardBackgroundColor = 0xFFFFFF;

int PreviewPages = 1;

namespace {

using Kind = SettingInfo::Kind;

SettingInfo Row(const char* section, std::string name, Kind kind)
{
    SettingInfo s;
    s.section = section;
    s.name = std::move(name);
    s.kind = kind;
    return s;
}

SettingInfo Int(const char* section, const char* name, int* var, int def, int min = INT32_MIN, int max = INT32_MAX)
{
    SettingInfo s = Row(section, name, Kind::Int);
    s.intValue = var;
    s.intDefault = def;
    s.minimum = min;
    s.maximum = max;
    return s;
}

// A yes/no setting: any number other than 0 and 1 is not one we wrote.
SettingInfo Bool(const char* section, const char* name, int* var, int def)
{
    return Int(section, name, var, def, 0, 1);
}

SettingInfo Str(const char* section, const char* name, std::string* var, const char* def)
{
    SettingInfo s = Row(section, name, Kind::String);
    s.stringValue = var;
    s.stringDefault = def;
    return s;
}

SettingInfo Colour(const char* section, std::string name, std::uint32_t* var, std::uint32_t def)
{
    SettingInfo s = Row(section, std::move(name), Kind::Colour);
    s.colourValue = var;
    s.colourDefault = def;
    return s;
}

SettingInfo ColourValue(const char* section, const char* name, std::uint32_t* var, std::uint32_t def)
{
    SettingInfo s = Colour(section, name, var, def);
    s.kind = Kind::ColourValue;
    return s;
}

std::vector<SettingInfo> BuildTable()
{
    const char* P = "prefs";
    const char* S = "specs";
    std::vector<SettingInfo> t = {
        Int(P, "CouleursJPEG", &CouleursJPEG, 2, 0, 2),
        Int(P, "MotifTransparent", &MotifTransparent, 0, 0, 3),
        Bool(P, "OptionsDeCollage", &OptionsDeCollage, 1),
        Bool(P, "ConfirmeSave", &ConfirmeSave, 1),
        Bool(P, "IconeAuto", &IconeAuto, 1),
        Bool(P, "ReorganiseAuto", &ReorganiseAuto, 1),
        Bool(P, "ReorganiseLancement", &ReorganiseLancement, 1),
        Int(P, "AfficheTaille", &AfficheTaille, 0),
        Bool(P, "ShowWarnColor", &ShowWarnColor, 1),
        Bool(P, "ShowWarnColor16", &ShowWarnColor16, 1),
        Bool(P, "ShowBienvenue", &ShowBienvenue, 1),
        Int(P, "IndexOfTheTip", &IndexOfTheTip, 0, 0),
        Bool(P, "DefaultZoomAuto", &DefaultZoomAuto, 1),
        Int(P, "ReorganiserPalettes", &ReorganiserPalettes, 1),
        Int(P, "PosEditeur", &PosEditeur, 2),
        Int(P, "PosPalette", &PosPalette, 1),
        Bool(P, "EcoRes", &EcoRes, 0),
        Bool(P, "Agrandissement", &Agrandissement, 0),
        Bool(P, "ShowApercu", &ShowApercu, 1),
        // Bar sizes and splits: a negative size is never one the bars wrote.
        Int(P, "ORVBankSeparatorH", &ORVBankSeparatorH, 200, 0),
        Int(P, "ORVBankSeparatorV", &ORVBankSeparatorV, 200, 0),
        Int(P, "LibBarSizeV", &LibBarSizeV, 200, 0),
        Int(P, "LibBarSizeH", &LibBarSizeH, 200, 0),
        Int(P, "LibBarFloatSizeV", &LibBarFloatSizeV, 250, 0),
        Int(P, "LibBarFloatSizeH", &LibBarFloatSizeH, 550, 0),
        Bool(P, "ShowIcoToolBar", &ShowIcoToolBar, 1),
        Bool(P, "ShowIclToolBar", &ShowIclToolBar, 1),
        Bool(P, "ShowExeToolBar", &ShowExeToolBar, 1),
        Int(P, "TypeReorganisation", &TypeReorganisation, 1, 0, 2),
        Bool(P, "TransparentCopy", &TransparentCopy, 1),
        Int(P, "LibBarTailleAffiche", &LibBarTailleAffiche, 1, 0, 2),
        Bool(P, "LibBarAfficheInfos", &LibBarAfficheInfos, 1),
        Int(P, "LibBarColorAffiche", &LibBarColorAffiche, 1, 0, 2),
        Int(P, "FileTailleAffiche", &FileTailleAffiche, 1, 0, 2),
        Bool(P, "FileAfficheInfos", &FileAfficheInfos, 1),
        Int(P, "FileColorAffiche", &FileColorAffiche, 1, 0, 2),
        Bool(P, "ShowWarnExeType", &ShowWarnExeType, 1),
        Bool(P, "ShowWarnTypes", &ShowWarnTypes, 1),
        Bool(P, "TypesCorrectionAuto", &TypesCorrectionAuto, 0),
        Bool(P, "TypesTypeIcl", &TypesTypeIcl, 1),
        Bool(P, "TypesTypeIco", &TypesTypeIco, 1),
        Bool(P, "GrilleAuto", &GrilleAuto, 1),
        Bool(P, "AfficheOmbreIcone", &AfficheOmbreIcone, 1),
        Str("paths", "BankPathName", &BankPathName, ""),
        Str(S, "insertTextePolice", &insertTextePolice, "MS Sans Serif"),
        Str(S, "insertTexteTexte", &insertTexteTexte, ""),
        Bool(S, "insertTexteGras", &insertTexteGras, 0),
        Bool(S, "insertTexteItalic", &insertTexteItalic, 0),
        Int(S, "insertTexteTaille", &insertTexteTaille, 8, 1, 1638),
        Str(S, "ExeFileName", &ExeFileName, ""),
        Str(S, "ExeTitle", &ExeTitle, ""),
        Str(S, "ExeCopyright", &ExeCopyright, ""),
        Bool(S, "Converted", &Converted, 0),
    };
    char name[16];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(name, sizeof name, "CustColor%02d", i + 1);
        t.push_back(Colour("colors", name, &CustColor[i], 0));
    }
    for (int i = 0; i < 48; ++i) {
        std::snprintf(name, sizeof name, "PalColor%02d", i + 1);
        t.push_back(Colour("colors", name, &PalColor[i], kStandardColourCells[i]));
    }
    t.push_back(Colour("colors", "ClipBoardBackgroundColor", &ClipBoardBackgroundColor, 0xFFFFFF));
    t.push_back(Colour("colors", "CouleurFondEditeur", &CouleurFondEditeur, 0x804000));
    t.push_back(ColourValue("colors", "LeftColor", &LeftColor, 0));
    t.push_back(ColourValue("colors", "RightColor", &RightColor, 0x01000000));
    t.push_back(Bool("colors", "IsDirty", &IsDirty, 0));
    t.push_back(Int("colors", "SelectedColor", &SelectedColor, 47, 0, 257));
    t.push_back(Bool("colors", "LastButtonHit", &LastButtonHit, 0));
    t.push_back(Int("Settings", "PreviewPages", &PreviewPages, 1, 1, 2));
    return t;
}

std::string SectionKey(const char* section)
{
    return std::string(kApplicationKey) + "\\" + section;
}

void Reset(const SettingInfo& s)
{
    switch (s.kind) {
    case Kind::Int:
        *s.intValue = s.intDefault;
        break;
    case Kind::String:
        *s.stringValue = s.stringDefault;
        break;
    case Kind::Colour:
    case Kind::ColourValue:
        *s.colourValue = s.colourDefault;
        break;
    }
}

bool ReadDecimal(std::string_view text, std::size_t pos, long long& out);

void Load(Registry& reg, const SettingInfo& s)
{
    Reset(s);
    std::string key = SectionKey(s.section);
    switch (s.kind) {
    case Kind::Int:
        if (auto n = reg.queryDword(RegHive::CurrentUser, key, s.name)) {
            int v = static_cast<int>(static_cast<std::int32_t>(*n));
            if (v >= s.minimum && v <= s.maximum)
                *s.intValue = v;
        }
        break;
    case Kind::String:
        if (auto text = reg.queryString(RegHive::CurrentUser, key, s.name))
            *s.stringValue = *text;
        break;
    case Kind::Colour:
        if (auto text = reg.queryString(RegHive::CurrentUser, key, s.name))
            *s.colourValue = ParseColourString(*text);
        break;
    case Kind::ColourValue:
        if (auto text = reg.queryString(RegHive::CurrentUser, key, s.name); text && !text->empty()) {
            long long v = 0;
            if (ReadDecimal(*text, 0, v))
                *s.colourValue = static_cast<std::uint32_t>(std::clamp<long long>(v, INT32_MIN, UINT32_MAX));
            else
                *s.colourValue = 0;
        }
        break;
    }
}

void Store(Registry& reg, const SettingInfo& s)
{
    std::string key = SectionKey(s.section);
    switch (s.kind) {
    case Kind::Int:
        reg.setDword(RegHive::CurrentUser, key, s.name, static_cast<std::uint32_t>(*s.intValue));
        break;
    case Kind::String:
        reg.setString(RegHive::CurrentUser, key, s.name, *s.stringValue);
        break;
    case Kind::Colour:
        reg.setString(RegHive::CurrentUser, key, s.name, std::to_string(*s.colourValue & 0x00FFFFFF));
        break;
    case Kind::ColourValue:
        reg.setString(RegHive::CurrentUser, key, s.name, std::to_string(static_cast<std::int32_t>(*s.colourValue)));
        break;
    }
}

// Reads a decimal number at text[pos] as the C library's atoi does
// (leading blanks, a sign, digits), but saturating instead of overflowing.
// Returns false when no digit follows.
bool ReadDecimal(std::string_view text, std::size_t pos, long long& out)
{
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        negative = text[pos++] == '-';
    if (pos >= text.size() || text[pos] < '0' || text[pos] > '9')
        return false;
    long long v = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos)
        v = std::min<long long>(v * 10 + (text[pos] - '0'), 1ll << 40);
    out = negative ? -v : v;
    return true;
}

int ClampToInt(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, -99999999, 99999999));
}

const char* const kMainWinKey = "Software\\Orvane\\Kavrel 4.0\\mainwin";
const char* const kRecentKey = "Software\\Orvane\\Kavrel 4.0\\Recent File List";

} // namespace

const std::vector<SettingInfo>& SettingsTable()
{
    static const std::vector<SettingInfo> table = BuildTable();
    return table;
}

void ResetSettings()
{
    for (const auto& s : SettingsTable())
        Reset(s);
}

void LoadSettings(Registry& registry)
{
    for (const auto& s : SettingsTable())
        Load(registry, s);
}

void LoadSettings()
{
    LoadSettings(Registry::Instance());
}

bool SaveSettings(Registry& registry)
{
    for (const auto& s : SettingsTable())
        Store(registry, s);
    return registry.save();
}

bool SaveSettings()
{
    return SaveSettings(Registry::Instance());
}

bool SaveSetting(Registry& registry, std::string_view name)
{
    for (const auto& s : SettingsTable()) {
        if (s.name == name) {
            Store(registry, s);
            return registry.save();
        }
    }
    return false;
}

std::uint32_t ParseColourString(std::string_view text)
{
    long long v = 0;
    if (!ReadDecimal(text, 0, v))
        return 0;
    // Only the colour itself: the top byte of a reference would turn it into
    // a palette index or a pseudo-colour in the editor.
    return static_cast<std::uint32_t>(v) & 0x00FFFFFF;
}

MainWindowPlacement LoadMainWindowPlacement(Registry& registry, int screenWidth, int screenHeight)
{
    MainWindowPlacement p;
    p.normal = {5, 5, screenWidth, screenHeight};
    if (auto pos = registry.queryString(RegHive::CurrentUser, kMainWinKey, "Pos")) {
        // The fields sit at fixed places; a wider number shifts those after it.
        // A text that does not hold all four is treated as missing.
        long long v[4];
        bool complete = true;
        for (int i = 0; i < 4 && complete; ++i)
            complete = static_cast<std::size_t>(i) * 5 < pos->size() && ReadDecimal(*pos, i * 5, v[i]);
        if (complete) {
            WindowRect r{ClampToInt(v[0]), ClampToInt(v[1]), ClampToInt(v[2]), ClampToInt(v[3])};
            r.bottom = std::max(r.bottom, 5);
            r.right = std::max(r.right, 5);
            r.top = std::min(r.top, screenHeight - 5);
            r.left = std::min(r.left, screenWidth - 5);
            p.normal = r;
        }
    }
    if (auto maximized = registry.queryDword(RegHive::CurrentUser, kMainWinKey, "Maximized"))
        p.maximized = *maximized == 1;
    if (p.maximized && p.normal.bottom - p.normal.top < 460)
        p.normal.bottom = p.normal.top + 460;
    return p;
}

bool SaveMainWindowPlacement(Registry& registry, const WindowRect& normal, MainWindowState state,
                             bool restoresToMaximized)
{
    char text[64];
    std::snprintf(text, sizeof text, "%04d %04d %04d %04d", normal.left, normal.top, normal.right, normal.bottom);
    registry.setString(RegHive::CurrentUser, kMainWinKey, "Pos", text);
    bool maximized =
        state == MainWindowState::Maximized || (state == MainWindowState::Minimized && restoresToMaximized);
    registry.setDword(RegHive::CurrentUser, kMainWinKey, "Maximized", maximized ? 1 : 0);
    return registry.save();
}

void RecentFileList::load(Registry& registry)
{
    files_.clear();
    for (int i = 1; i <= kMaxFiles; ++i) {
        auto path = registry.queryString(RegHive::CurrentUser, kRecentKey, "File" + std::to_string(i));
        if (path && !path->empty() && std::find(files_.begin(), files_.end(), *path) == files_.end())
            files_.push_back(*path);
    }
}

bool RecentFileList::save(Registry& registry) const
{
    for (int i = 1; i <= kMaxFiles; ++i) {
        std::string name = "File" + std::to_string(i);
        if (static_cast<std::size_t>(i) <= files_.size())
            registry.setString(RegHive::CurrentUser, kRecentKey, name, files_[i - 1]);
        else
            registry.deleteValue(RegHive::CurrentUser, kRecentKey, name);
    }
    return registry.save();
}

void RecentFileList::add(const std::string& path)
{
    if (path.empty())
        return;
    remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > static_cast<std::size_t>(kMaxFiles))
        files_.resize(kMaxFiles);
}

void RecentFileList::remove(const std::string& path)
{
    std::erase(files_, path);
}

RecentFileList& RecentFiles()
{
    static RecentFileList list;
    return list;
}

} // namespace kavrel
