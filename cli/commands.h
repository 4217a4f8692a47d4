// The commands of kavrel-cli, one file each; cli.cpp lists them in its table.
#pragma once

#include <string>
#include <vector>

#include "cli/cli.h"
#include "model/icon_model.h"

namespace kavrel::cli {

int RunList(const std::vector<std::string>& argv, Io& io);
int RunExtract(const std::vector<std::string>& argv, Io& io);
int RunRender(const std::vector<std::string>& argv, Io& io);
int RunConvert(const std::vector<std::string>& argv, Io& io);
int RunToIcl(const std::vector<std::string>& argv, Io& io);
int RunImportPicture(const std::vector<std::string>& argv, Io& io);
int RunCreate(const std::vector<std::string>& argv, Io& io);
int RunThumbnail(const std::vector<std::string>& argv, Io& io);

// The icons of any file by its kind, each image with the file offset it was
// read from. A file that gives none prints the program's message for it and
// returns false. With `salvage`, a damaged ICO file gives the images that
// can be read, and a note of how many on the error stream. With
// ImageBytes::Skip an ICO file's images are checked but not copied.
bool LoadIcons(const std::string& path, std::vector<CIconGroup>& groups, Io& io, bool salvage = false,
               ImageBytes bytes = ImageBytes::Read);

// A name from a file as one line of text: control characters (C0, DEL and
// C1, which terminals take as escapes) and the backslash become \t, \n,
// \r, \\ or \xHH; other text, UTF-8 or not, is kept.
std::string EscapedName(const std::string& name);

// A file name stem for an icon: its name made safe, or "icon-N".
std::string IconFileStem(const std::string& name, int number);

// The name an unnamed icon takes from its file: lower case, first letter upper.
std::string NameFromFile(const std::string& path);

// The first free path of "DIR/STEM.EXT", "DIR/STEM (2).EXT", ...
std::string FreePath(const std::string& dir, const std::string& stem, const std::string& ext);

} // namespace kavrel::cli
