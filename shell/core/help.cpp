#include "shell/core/help.h"

#include "resources/command_ids.h"

namespace kavrel {

namespace {

class NoDesktop : public DesktopOpener {
  public:
    bool OpenUrl(const std::string&) override { return false; }
};

DesktopOpener* g_opener = nullptr;
std::string g_programFolder;

std::string PercentEncodePath(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

} // namespace

DesktopOpener& Desktop()
{
    static NoDesktop none;
    return g_opener ? *g_opener : none;
}

void SetDesktopOpener(DesktopOpener* opener)
{
    g_opener = opener;
}

void SetHelpFolder(const std::string& programFolder)
{
    g_programFolder = programFolder;
    if (!g_programFolder.empty() && g_programFolder.back() != '/')
        g_programFolder += '/';
}

std::string HelpFilePath()
{
    return g_programFolder + "help/kavrel-manual.html";
}

std::string HelpUrl(std::string_view section)
{
    std::string url = "file://" + PercentEncodePath(HelpFilePath());
    if (!section.empty())
        url += "#" + std::string(section);
    return url;
}

bool OpenHelp(std::string_view section)
{
    return Desktop().OpenUrl(HelpUrl(section));
}

bool OpenWebSite()
{
    return Desktop().OpenUrl(kWebSiteAddress);
}

std::string HelpSectionForCommand(std::uint16_t id, std::string_view activeSection)
{
    switch (id) {
    case ID_HELP_USING:
        return help_section::kUsingHelp;
    case ID_HELP:
    case ID_CONTEXT_HELP:
        return activeSection.empty() ? help_section::kContents : std::string(activeSection);
    default:
        return help_section::kContents;
    }
}

} // namespace kavrel
