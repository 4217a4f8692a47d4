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
    {5, "\nProgram File\nProgram File\nProgram Files (*.exe;*.dll;*.ocx;*.cpl;*.drv;*.vbx)\n.exe\n\n"},
    {6, "\nIcon Library\nIcon Library\nLibrary Files (*.icl)\n.icl\n\n"},
    {7, "\nIcon in file\nIcon\nIcon Files (*.ICO)\n.ico\n\n"},
    {8, "Preferences"},
    {11, "Copying..."},
    {13, "Importing Image..."},
    {15, "The library doesn't contains icons."},
    {16, "Colors"},
    {17, "Scale 1:1"},
    {18, "Draw"},
    {19, "Standard"},
    {20, "Librarian"},
    {23, "The image format \"%dx%d - %s\" already exists in the icon named \"%s\"."},
    {24, "%d"},
    {27, "Icons"},
    {28, "Untitled"},
    {29, "(1 format)"},
    {30, "(%d formats)"},
    {32, "1 icon"},
    {33, "%d icons"},
    {34, "1 selected"},
    {35, "%d selected"},
    {36, "Program File \"%s\""},
    {37, "Icon Library \"%s\""},
    {38, "Kavrel 4.0"},
    {40, "(Icon %d in Program File %s)"},
    {41, "(Icon %d in Icon Library %s)"},
    {42, "(#%d, 1 format)"},
    {43, "(#%d, %d formats)"},
    {44, "Icon %d"},
    {45, "Librarian"},
    {46, "New library"},
    {47, "New folder"},
    {48, "Customize Windows"},
    {49, "Default icon"},
    {50, "Default document"},
    {51, "Application"},
    {52, "Closed Folder"},
    {53, "Opened Folder"},
    {54, "Floppy Drive 5.25"},
    {55, "Floppy Drive 3.5"},
    {56, "Removeable Drive"},
    {57, "Hard Drive"},
    {58, "Network Drive"},
    {59, "Netwrok Drive (offline)"},
    {60, "CD-ROM Drive"},
    {61, "RAM Drive"},
    {62, "All the Network"},
    {63, "Network"},
    {64, "Computer"},
    {65, "Printer"},
    {66, "Workgroup"},
    {67, "Programs (Startup)"},
    {68, "Documents (Startup)"},
    {69, "Parameters (Startup)"},
    {70, "Find (Startup)"},
    {71, "Help (Startup)"},
    {72, "Execute (Startup)"},
    {73, "Suspend (Startup)"},
    {74, "Laptop (Startup)"},
    {75, "Stop  (Startup)"},
    {76, "CD Audio"},
    {77, "Change icon of \"%s\""},
    {78, "Return to the default icon for \"%s\" ?"},
    {79, "Icon display colors will not take effect until Windows is restarted."},
    {80, "Apply changes in \"%s\"?"},
    {81, " (Empty)"},
    {82, " (Filled)"},
    {83, "Executables (*.EXE)|*.exe|All files(*.*)|*.*||"},
    {84, "Browse..."},
    {86, "Total : %d icons"},
    {90, "The file \"%s\" already exits. Do you really want to overwrite it?"},
    {91, "Error during compilation:  Verify all elements of the compilation and do it again."},
    {92, "The pathname of the EXE file to create is invalid."},
    {94, "Icon %d in %s"},
    {55015, "%ld KB of  RAM"},
    {55020, "Palette File (*.pal)|*.pal|All files(*.*)|*.*||"},
    {55021, "Transp."},
    {55022, "Inverted"},
    {55023, "An error has occured while opening the file. "},
    {55024, "The file is not compatible with Kavrel 4.0 palette format."},
    {55025, "WARNING :This operation is going to replace the current color palette\nDo you want to continue ?"},
    {55026, "An error has occured while creating the file."},
    {55027, "Icon Files(*.ico)|*.ico|All files (*.*)|*.*||"},
    {55028, "All Icon Files|*.ico;*.exe;*.dll;*.ocx;*.icl;*.il;*.nil;*.vbx;*.cpl;*.drv|Icon Files (*.ico)|*.ico|"
            "Library Files(*.icl;*.il;*.nil)|*.icl;*.il;*.nil|"
            "Program Files(*.cpl;*.dll;*.drv;*.exe;*.ocx;*.vbx)|*.cpl;*.dll;*.drv;*.exe;*.ocx;*.vbx|"
            "Tous les fichiers (*.*)|*.*||"},
    {55029, "Library Files (*.icl;*.il; *.nil)|*.icl;*.il;*.nil|All files (*.*)|*.*||"},
    {55030, "256 Color Palette Files (*.pa8)|*.pa8|All files (*.*)|*.*||"},
    {55031, "%dx%d - %s"},
    {55032, "@2  %d:1"},
    {55033, "@0  %d,%d"},
    {55034, "@1  %dx%d"},
    {55035, "Use Drag and Drop\nFrom this area\nto capture an icon\n(Esc to Stop)"},
    {55036, "Loading ..."},
    {55037, "The specified file does not contains icons or is invalid"},
    {55038, "Total : %d Icons"},
    {55039, "Saving ..."},
    {55040, "%d Selected"},
    {55041, "Save the selected icon as an ICO file"},
    {55043, "Save changes in icon %s in the file %s ?"},
    {55044, "Untitled"},
    {55045, "Save changes in the file \"%s\" ?"},
    {55046, "Save changes in the all edit windows associated with the file \"%s\" ?"},
    {55047, "Unable to save the changes in the file\"%s\".\nThe filename may be invalid\nPlease check and try again."},
    {55048, "The specified file does not contains icons or is invalid"},
    {55049, "One or more selected files had no icon."},
    {55050, "(Multiple selection)"},
    {55051, "%d icon(s) in %s :"},
    {55052, "(No icon)"},
    {55056, "\"%s\""},
    {55057, "\"%s\""},
    {55058, "Save changes in all edit windows associated with the library %s ?"},
    {55059, "Save changes in the library \"%s\" ?"},
    {55060, "Unable to save changes in the library \"%s\"."},
    {55061, "Export the selected icon to ..."},
    {55062, "Export the %d selected icons to ..."},
    {55063, "You can't remove the root folder."},
    {55064, "You have performed an operation wich will close all edit windows associated with the library.\nSave "
            "changes in all edit windows associated with the library \"%s\" ?"},
    {55065, "An error has occured while deleting the current library. Please exit and try again."},
    {55066, "Open an icon file..."},
    {55067, "Open a palette file ..."},
    {55068, "Save as a palette ..."},
    {55069, "Save as an icon ..."},
    {55071, "Kavrel 4.0 - icon editor and icon librarian"},
    {55072, "Page %d/%d"},
    {55074, "Open a 256 color palette file..."},
    {55075, "Save as a 256 color palette..."},
    {55076, "Save changes in icon %s in library %s ?"},
    {55080, "Importing ..."},
    {55081, "Pasting ..."},
    {55083, "Please Wait ..."},
    {55084, "%dx%d - %s"},
    {55085, "Mono"},
    {55086, "16 colors"},
    {55087, "256 colors"},
    {55088, "65536 colors"},
    {55089, "16,8M colors"},
    {55090, "%dx%d pixels - %s"},
    {55091, "Importing ..."},
    {55092, "16,8M or 65536 colors"},
    {55102, "Do you want to replace the current icon palette by the image palette that you are going to paste?\n   . "
            "YES  : Replace the current palette\n   . NO : Keep the current palette"},
    {55103, "Did you know..."},
    {55104, "Every icon holds several image formats. Add one with \"New image format\" and Kavrel keeps them sorted by "
            "size and colours."},
    {55105, "Press F11 to turn automatic reorganization on or off. While it is on, Kavrel arranges the document "
            "windows whenever one opens or closes."},
    {55106, "Press F12 to arrange the document windows at once, in rows, in columns or each over the whole desktop."},
    {55107, "The Scale 1:1 bar shows the edited image at its real size while you work on it enlarged."},
    {55108, "The right mouse button draws with the right colour. Choose the left and right colours with the two "
            "buttons in the colour bar."},
    {55109, "The transparent colour lets the desktop show through the icon; the inverted colour shows it reversed."},
    {55110, "The librarian keeps your libraries in folders on disk; its bar docks on any side of the main window."},
    {55111, "Press F3 in an editor to add the icon to the library shown in the librarian."},
    {55112, "Open a program file (EXE, DLL, OCX, CPL...) to see every icon it holds. You can edit them and save them "
            "back into the file."},
    {55113, "Icon libraries (ICL files) hold many icons in one file. Export the icons of a program file to a library "
            "to keep them together."},
    {55114, "Automatic zoom fits the image into its window. Zoom in and out with the buttons of the local toolbar."},
    {55115, "The grid helps to place each pixel. Show or hide it with the Display Grid button of the Draw toolbar."},
    {55116,
     "Selections can be moved, copied and pasted between icons, with or without their transparent pixels (Ctrl+T)."},
    {55117, "Gradient fills run horizontally, vertically or from the centre, between the left and the right colour."},
    {55118,
     "Import a BMP or JPEG picture into the current image format: Kavrel reduces its colours to those of the format."},
    {55119, "Mirror and rotate the image with the buttons at the bottom of the Draw toolbar."},
    {55120, "Undo (Ctrl+Z) takes back a change and Redo (Ctrl+Y) makes it again."},
    {55121, "Compile a library into a stand-alone program that shows its icons, with your own title and copyright."},
    {55122, "Open a second window on the same document with New Window: its title ends with its number."},
    {55123, "The status bar shows the position of the pointer, the size of the selection and the zoom of the editor."},
    {55124, "Customize Windows (F7) changes the icons the desktop shows for its standard items."},
    {55125, "32768 colors"},
    {55126, "16,8M colors (24 bits)"},
    {55127,
     "Do you really want to create a gradient in the current icon palette (from foreground color to background color?"},
    {55128, "Image files(*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.rle)|*.bmp;*.dib;*.jpg;*.jpeg;*.png;*.rle|"},
    {55129, "All files(*.*)|*.*|"},
    {55131, "To rename this folder, Kavrel must close some icon libraries.\nDo you want to automatically save these "
            "libraries ?"},
    {55132, "Unable to open the source file"},
    {55133, "Unable to create the target file"},
    {55134, "An error occured while reading the source file"},
    {55135, "An error occured while writing the target file"},
    {55136, "Preferences (F2) set how editor windows start: grid, automatic zoom, background colour and more."},
    {55137, "Print a library or a program file as a catalogue of its icons, with names under each one."},
    {55138, "A 16x16 format in 16 colours is what most lists and menus show: give every icon one."},
    {55139, "Ctrl+F2 shows or hides the local toolbar of the active window, to leave more room to the image."},
    {55140, "The image on the clipboard is too large to paste (%dx%d pixels)."},
    {55300,
     "These image formats were made from images with an alpha channel or PNG compression and have been edited: %s.\n"
     "Saving stores them as 24-bit images with a transparency mask. Save anyway?"},
    {55301, "%dx%d (32 bits with alpha)"},
    {55302, "%dx%d (PNG)"},
    {55303, "%s\nThis file cannot be found. Check the path and the file name."},
    {55304, "%s\nThis file cannot be opened for reading."},
    {55305, "Kavrel cannot read the screen in this session: the window system does not let programs capture "
            "what it shows (a Wayland session, for example, keeps the screen to itself). Capture icon is not "
            "available here."},
    {55320, "%s\nThis file is damaged: %d of its %d images can be read.\nDo you want to open the images that can be "
            "read?"},
    {55323, "%s, image format %s: the edited image no longer has the size of the image it replaces, and "
            "nothing else in a program file may move."},
    {55324, "%s, image format %s: this image does not lie in the resources of the file (compressed programs "
            "keep their icons elsewhere)."},
    {55325, "The file \"%s\" carries a digital signature. Saving the icons into it makes that signature "
            "invalid, and some systems then warn before running it or refuse to.\nSave the changes anyway?"},
    {55340, "16,8M colors + alpha"},
    {55341, "PNG"},
    {56200, "Welcome - Tip of the day"},
    {56201, "Welcome to Kavrel 4.0"},
    {56202, "D&isplay this Welcome window at startup"},
    {56203, "Close"},
    {56204, " &Next Tip"},
    {56205, "Help"},
    {56206, "What is Kavrel ? "},
    {56207, " &Visit Orvane Web site ..."},
    {56210, "About Orvane Kavrel"},
    {56211, "Version 4.0"},
    {56212, "OK"},
    {56220, "Minimize"},
    {56221, "Maximize"},
    {56222, "Restore"},
    {56260, "Add text"},
    {56261, "&Text to add:"},
    {56262, "&Font :"},
    {56263, "&Size :"},
    {56264, "&Bold"},
    {56265, "&Italic"},
    {56266, "OK"},
    {56267, "Cancel"},
    {56268, "&Preview"},
    {56300, "Create a new image format"},
    {56301, "&16x16 pixels"},
    {56302, "&32x32 pixels"},
    {56303, "&48x48 pixels"},
    {56304, "&64x64 pixels"},
    {56305, "&72x72 pixels"},
    {56306, "&Custom size"},
    {56307, "&Width:"},
    {56308, "&Height:"},
    {56309, "&Square aspect"},
    {56310, "You are about to modify an icon that contains %s  but your system is configured to display only %s."},
    {56311, "You should configure your display settings to %s before modifying or creating this icon."},
    {56312, "&Monochrome (1 bit)"},
    {56313, "16 C&olors (4 bits)"},
    {56314, "&256 Colors - Dithered  (8 bits)"},
    {56315, "2&56 Colors - Indexed (8 bits)"},
    {56316, "16,&8 Million Colors  (24 bits)"},
    {56317, "&Existing image formats:"},
    {56318, "Delete an image format"},
    {56319, "You are going to DELETE the following image format from the selected icon:"},
    {56320, "WARNING: You will NOT be able to UNDO this operation!"},
    {56321, " DELETE ! "},
    {56322, "Cancel"},
    {56323, "Select an image format"},
    {56324, "Size"},
    {56325, "Colors"},
    {56326, "OK"},
    {56327, "The width must be a number from %d to %d pixels."},
    {56328, "The height must be a number from %d to %d pixels."},
    {56400, "General"},
    {56401, "&Create a new icon at startup "},
    {56402, "&Reorganize desktop at startup "},
    {56403, "C&onfirm before saving libraries "},
    {56404, "&Minimize use of system resources (displays icons slower in lists)"},
    {56405, "M&aximize documents at opening"},
    {56406, " Local toolbars display "},
    {56407, "&Icons (*.ICO)"},
    {56408, "&Libraries (*.ICL, *.IL, *.NIL)"},
    {56409, "&Programs (*.EXE, *.DLL..)"},
    {56410, "Editor"},
    {56411, "&Transparent and inverted color patterns :"},
    {56412, "&Edit window color background:"},
    {56413, "&Propose options during Paste operation"},
    {56414, "&Display a shade behind icon edit area"},
    {56415, "Use &automatic zoom by default "},
    {56416, "Disp&lay grid by default "},
    {56420, "Messages"},
    {56421, "Warning if ICO and ICL &files are not associated with Kavrel"},
    {56422, "&Information window when opening a program file"},
    {56423, "Warn if insufficient &video colors to edit a particular image format icon"},
    {56424, " Startup options "},
    {56425, "&Welcome and tips at startup "},
    {56426, "W&arn if insufficient video colors  (16 color display)"},
    {56427, "OK"},
    {56428, "Cancel"},
    {56429, "Help"},
    {56440, "WARNING : File Associations"},
    {56441, "Warning"},
    {56442, "The icon files (.ICO) and the library files (.ICL, .IL .ICL) can be associated with Kavrel. You can open "
            "these files directly from Windows Explorer by checking boxes: "},
    {56443, "&Icon files (*.ICO)"},
    {56444, "One icon in a file, several image formats"},
    {56445, "&Library files (*.ICL, *.IL, *.NIL)"},
    {56446, "Several icons in a file, several image formats"},
    {56447, "&Always Display this Message if the Association is Incorrect"},
    {56448, "Repair A&utomatically the Association at Startup if Incorrect"},
    {56449, "&Repair Association"},
    {56450, " Close "},
    {56460, "Parameters"},
    {56461, "Desktop icons"},
    {56462, "Standard icons"},
    {56463, "Apply"},
    {56464, "Close"},
    {56465, "&32x32"},
    {56466, "&48x48"},
    {56467, "&64x64"},
    {56468, "&72x72"},
    {56469, "Dis&play an arrow in shortcuts"},
    {56470, "&Display icons using 256 or 16.8 Million Colors "},
    {56471, "&Rebuild Icon Cache Now"},
    {56472, "&Change icon..."},
    {56473, "&Default icon"},
    {56474, "Icons in %s :"},
    {56475, "You can also drag an icon from a library or a program document and drop it on an entry, without this "
            "window."},
    {56476, "Use these icons on this desktop"},
    {56477, " Icon size "},
    {56478, "&Horizontal spacing:"},
    {56479, "&Vertical spacing:"},
    {56480, " Icon spacing "},
    {61700, "Save changes to %s?"},
    {61701, "Save As"},
    {61702, "Insufficient video configuration"},
    {61703, "Your Windows system is configured for only 16 color display. We recommend you to configure it for 256 "
            "or greater colors"},
    {61704, ". 640x480 256 colors"},
    {61705, ". 800x600, 65535 colors (recommended)"},
    {61706, " OK"},
    {61707, "&Always Display this Warning Message"},
    {61708, "%s\nThe file could not be written. Check that its folder exists, that the disk is not full and that "
            "the file is not read-only."},
    {61709, "%s\nThe file could not be written: %s."},
    {61710, "The settings could not be saved in %s: %s.\nChanges made to them in this session are lost."},
    {61720, "These image formats were converted from 32 bits with alpha to fewer colors: %s.\nSaving them loses "
            "their alpha: pixels less than half opaque become transparent, the others opaque. Save anyway?"},
    {61721, "True colors + &alpha"},
    {61722, "&From the current format"},
    {61723, "Compressed (&PNG)"},
    {61724, "Convert to another depth"},
    {61725, "Convert this image format to:"},
    {61726, "32 bits"},
    {61740, "No inverted colour in images with alpha: every pixel is a colour with its opacity, or transparent."},
    {61741, "Opacity (alpha) of the left or right colour, whichever was chosen last"},
    {61760, "PNG Pictures (*.png)|*.png|"},
    {61761, "Export format as PNG"},
    {61762, "The icon already has 32-bit image formats of these sizes: %s.\nReplace them?"},
    {61763, "Make image formats"},
    {61764, "Windows set"},
    {61765, "Minimal set"},
    {61766, "Sizes to make from the %s image format, in 32 bits with alpha:"},
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

FormatArg Num(long long v)
{
    return {false, v, {}};
}
FormatArg Text(const std::string& s)
{
    return {true, 0, s};
}

} // namespace

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

std::string FormatString(int id, int value)
{
    return Format(LoadString(id), {Num(value)});
}

std::string FormatString(int id, const std::string& value)
{
    return Format(LoadString(id), {Text(value)});
}

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

std::string FormatString(int id, int value1, int value2, const std::string& value3, const std::string& value4)
{
    return Format(LoadString(id), {Num(value1), Num(value2), Text(value3), Text(value4)});
}

std::string FormatString(int id, int value1, const std::string& value2)
{
    return Format(LoadString(id), {Num(value1), Text(value2)});
}

std::string FormatString(int id, const std::string& value1, int value2, int value3)
{
    return Format(LoadString(id), {Text(value1), Num(value2), Num(value3)});
}

} // namespace kavrel
