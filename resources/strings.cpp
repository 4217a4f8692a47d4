#include "resources/strings.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <vector>

namespace kavrel {

namespace {

struct StringEntry {
    int id;
    std::string_view text;
};

// Keep the table sorted by number: lookups are binary searches.
constexpr StringEntry kStrings[] = {
    {2, "Orvane Kavrel 4.0"},
    {3, "\nIcon\nIcon\nIcon Files (*.ICO)\n.ico\nKavrel.Document\nIcon File"},
    {27, "Icons"},
    {28, "Untitled"},
    {29, "(1 format)"},
    {30, "(%d formats)"},
    {38, "Kavrel 4.0"},
    {40, "(Icon %d in Program File %s)"},
    {41, "(Icon %d in Icon Library %s)"},
    {42, "(#%d, 1 format)"},
    {43, "(#%d, %d formats)"},
    {44, "Icon %d"},
    {55028, "All Icon Files|*.ico;*.exe;*.dll;*.ocx;*.icl;*.il;*.nil;*.vbx;*.cpl;*.drv|Icon Files (*.ico)|*.ico|"
             "Library Files(*.icl;*.il;*.nil)|*.icl;*.il;*.nil|"
             "Program Files(*.cpl;*.dll;*.drv;*.exe;*.ocx;*.vbx)|*.cpl;*.dll;*.drv;*.exe;*.ocx;*.vbx|"
             "Tous les fichiers (*.*)|*.*||"},
    {55036, "Loading ..."},
    {55037, "The specified file does not contains icons or is invalid"},
    {55039, "Saving ..."},
    {55048, "The specified file does not contains icons or is invalid"},
    {55049, "One or more selected files had no icon."},
    {55050, "(Multiple selection)"},
    {55051, "%d icon(s) in %s :"},
    {55052, "(No icon)"},
    {55060, "Unable to save changes in the library \"%s\"."},
    {55066, "Open an icon file..."},
    {55080, "Importing ..."},
    {55084, "%dx%d - %s"},
    {55085, "Mono"},
    {55086, "16 colors"},
    {55087, "256 colors"},
    {55088, "65536 colors"},
    {55089, "16,8M colors"},
    {55091, "Importing ..."},
    {55092, "16,8M or 65536 colors"},
    {55125, "32768 colors"},
    {55126, "16,8M colors (24 bits)"},
    {55300, "These image formats were made from images with an alpha channel or PNG compression and have been edited: %s.\n"
             "Saving stores them as 24-bit images with a transparency mask. Save anyway?"},
    {55301, "%dx%d (32 bits with alpha)"},
    {55302, "%dx%d (PNG)"},
    {55303, "%s\nThis file cannot be found. Check the path and the file name."},
    {55304, "%s\nThis file cannot be opened for reading."},
    {55305, "%s\nThe file could not be saved; the disk may be full or the file write-protected. The previous file is unchanged."},
};

constexpr bool TableIsSorted()
{
    for (std::size_t i = 1; i < std::size(kStrings); ++i)
        if (kStrings[i - 1].id >= kStrings[i].id)
            return false;
    return true;
}
static_assert(TableIsSorted(), "string table must be sorted by number without duplicates");

// One argument of a format: an integer or a text.
struct FormatArg {
    bool isText;
    long long number;
    std::string_view text;
};

// A printf subset over our own texts: %d, %s and %%, with optional flags and
// width ignored. Missing arguments format as nothing, so a text with more
// conversions than values can never read beyond what was given.
std::string Format(std::string_view pattern, std::initializer_list<FormatArg> args)
{
    std::string out;
    out.reserve(pattern.size() + 16);
    auto next = args.begin();
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c != '%' || i + 1 >= pattern.size()) {
            out += c;
            continue;
        }
        std::size_t j = i + 1;
        while (j < pattern.size() && std::string_view("-+ #0123456789lh").find(pattern[j]) != std::string_view::npos)
            ++j;
        if (j >= pattern.size()) {
            out.append(pattern.substr(i));
            break;
        }
        char conv = pattern[j];
        if (conv == '%') {
            out += '%';
        } else if (conv == 'd' || conv == 'i' || conv == 'u' || conv == 's') {
            if (next != args.end()) {
                if (next->isText)
                    out.append(next->text);
                else
                    out += std::to_string(next->number);
                ++next;
            }
        } else {
            out.append(pattern.substr(i, j - i + 1));
        }
        i = j;
    }
    return out;
}

FormatArg Num(long long v) { return {false, v, {}}; }
FormatArg Text(const std::string& s) { return {true, 0, s}; }

}  // namespace

const std::string& LoadString(int id)
{
    // Built once; references handed out stay valid for the whole run.
    static const std::vector<std::string> texts = [] {
        std::vector<std::string> v;
        v.reserve(std::size(kStrings));
        for (const auto& e : kStrings)
            v.emplace_back(e.text);
        return v;
    }();
    static const std::string empty;
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, int v) { return e.id < v; });
    if (it == std::end(kStrings) || it->id != id)
        return empty;
    return texts[static_cast<std::size_t>(it - std::begin(kStrings))];
}

std::string FormatString(int id, int value) { return Format(LoadString(id), {Num(value)}); }

std::string FormatString(int id, const std::string& value) { return Format(LoadString(id), {Text(value)}); }

std::string FormatString(int id, int value1, int value2)
{
    return Format(LoadString(id), {Num(value1), Num(value2)});
}

std::string FormatString(int id, const std::string& value1, const std::string& value2)
{
    return Format(LoadString(id), {Text(value1), Text(value2)});
}

std::string FormatString(int id, int value1, int value2, const std::string& value3)
{
    return Format(LoadString(id), {Num(value1), Num(value2), Text(value3)});
}

std::string FormatString(int id, int value1, const std::string& value2)
{
    return Format(LoadString(id), {Num(value1), Text(value2)});
}

}  // namespace kavrel
