// Help: the user manual, an HTML file beside the program, opened at a
// section in the desktop's browser through an interface tests replace; the
// web-site command goes the same way.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kavrel {

// The product's web page (the web-site command and the welcome dialog's button).
inline constexpr const char* kWebSiteAddress = "https://kavrel.example.org/";

// The manual's sections that commands open.
namespace help_section {
inline constexpr const char* kContents = "contents";
inline constexpr const char* kUsingHelp = "using-help";
inline constexpr const char* kWhatIsKavrel = "what-is-kavrel";
inline constexpr const char* kDrawing = "drawing";
inline constexpr const char* kLibrarian = "librarian";
inline constexpr const char* kProgramFiles = "program-files";
inline constexpr const char* kPreferences = "preferences";
inline constexpr const char* kCustomizeWindows = "customize-windows";
inline constexpr const char* kAssociations = "file-associations";
} // namespace help_section

class DesktopOpener {
  public:
    virtual ~DesktopOpener() = default;
    // Asks the desktop to open an address; false when it refused.
    virtual bool OpenUrl(const std::string& url) = 0;
};
// The opener in use; the shell installs its own. Before that nothing opens.
DesktopOpener& Desktop();
void SetDesktopOpener(DesktopOpener* opener);

// The manual's file: "help/kavrel-manual.html" in the program folder.
void SetHelpFolder(const std::string& programFolder);
std::string HelpFilePath();
// "file://" and the manual's path (percent-encoded), then "#section" when given.
std::string HelpUrl(std::string_view section);
bool OpenHelp(std::string_view section);
bool OpenWebSite();

// The section a help command opens: Contents and Index and the welcome
// dialog's Help the contents, Using Help its own section, Help and Context
// help the section of `activeSection` (the active window's subject; the
// contents when empty).
std::string HelpSectionForCommand(std::uint16_t id, std::string_view activeSection);

} // namespace kavrel
