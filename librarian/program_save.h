// Saving the icons of a program file back into it, in place.
#pragma once

#include <string>
#include <vector>

#include "model/icon_model.h"

namespace kavrel {

constexpr int kStrCannotSaveProgram = 55047; // "Unable to save the changes in the file"%s"..."
constexpr int kStrFormatResized = 55323;     // second line: the image changed size
constexpr int kStrFormatOutside = 55324;     // second line: the image is not in the resources
constexpr int kStrSignedProgram = 55325;     // the question before a signed file is changed

enum class ProgramSaveResult {
    Saved,
    Declined, // the user kept a signed file as it was
    Failed,   // refused or failed after a message; the file is unchanged
};

// Writes every format of every icon at the file offset it was read from.
// Every format is checked first: it must have the size of the image it
// replaces and lie inside the file's resource data, else nothing is written
// and 55047 names the icon and format. Only edited images are written, so an
// unedited file stays byte-identical; of several edited copies of one shared
// image the last in list order wins. A set PE checksum is recomputed; a
// signed file is changed only after a question. After a save every copy of
// a written image holds the bytes written.
ProgramSaveResult SaveIconsIntoProgramFile(const std::string& path, std::vector<CIconGroup>& icons);

} // namespace kavrel
