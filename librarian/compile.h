// Compile: a set of icons, a title and a copyright text turned into one
// Windows program that shows them (the viewer stub followed by a trailer).
//
// A compiled file is the stub unchanged but for its header checksum, then
// the title (80 bytes, zero-padded), the copyright (256 bytes, zero-padded),
// the byte 0x23 and an icon library holding the icons.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "model/icon_model.h"

namespace kavrel {

// String-table numbers of the compile texts.
constexpr int kStrCompileFilter = 83;  // "Executables (*.EXE)|*.exe|All files(*.*)|*.*||"
constexpr int kStrCompileBrowse = 84;  // "Browse..."
constexpr int kStrCompileExists = 90;  // "The file "%s" already exits. ..."
constexpr int kStrCompileFailed = 91;  // "Error during compilation: ..."
constexpr int kStrCompileBadPath = 92; // "The pathname of the EXE file to create is invalid."

// Texts of the compile dialog and of the failures that have no number.
inline constexpr const char* kCompileWarning = "WARNING : Do you hold the copyright on the %d icons to compile ?";
inline constexpr const char* kCompileNoStub = "Erreur interne 0001";
inline constexpr const char* kCompileBadStub = "Erreur interne 0002";
inline constexpr const char* kCompileWriteError =
    "Error while compiling. Unable to write file %s on destination drive.";

// Limits of the dialog fields (settings ExeFileName, ExeTitle, ExeCopyright):
// the path in characters, the texts in bytes as stored.
constexpr std::size_t kExeFileNameLimit = 256;
constexpr std::size_t kExeTitleSize = 80;
constexpr std::size_t kExeCopyrightSize = 256;
constexpr std::uint8_t kCompileMarker = 0x23;

// The warning line of the dialog for a number of icons.
std::string CompileWarningText(int iconCount);

// Which icons of a list of `count` compile: with at most one selected, all
// of them (and the list selects them all); else the selected ones in list
// order. Empty for an empty list.
struct CompileChoice {
    std::vector<int> icons;
    bool selectAll = false;
};
CompileChoice ChooseIconsToCompile(int count, const std::vector<int>& selected);

// Where the parts of a compiled file start, for a stub of that size.
struct CompiledLayout {
    std::size_t title, copyright, marker, library;
};
CompiledLayout CompiledFileLayout(std::size_t stubSize);

// The stub's checksum recomputed over a whole file, as the loader checks it:
// 16-bit words summed with end-around carry, the checksum field itself left
// out, plus the file's length.
std::uint32_t PeFileChecksum(std::span<const std::uint8_t> file, std::size_t checksumOffset);

// Whether the bytes are a stub that compiles: a PE program whose sections
// end at its last byte.
bool IsUsableStub(std::span<const std::uint8_t> stub);

// The bytes of a compiled file. Texts longer than their field are cut at a
// character boundary. When the stub carries a checksum it is recomputed.
std::vector<std::uint8_t> BuildCompiledExecutable(std::span<const std::uint8_t> stub, const std::string& title,
                                                  const std::string& copyright, std::span<const std::uint8_t> library);

// The viewer the program carries (empty when built without the cross compiler).
std::span<const std::uint8_t> CarriedViewer();

enum class CompileResult {
    Written,
    Declined, // the user kept the existing file
    Failed,   // a message said why; any existing file is as it was
};

// The compile step after the dialog: checks the path, asks before replacing
// a file, writes the compiled file through the atomic writer and tells every
// failure through Prompts(). Nothing is written unless the whole file is.
// `busy` (when given) is told true once the questions are over and the file
// is being made, and false again before any message and at the end.
CompileResult CompileExecutable(const std::string& path, const std::string& title, const std::string& copyright,
                                const std::vector<CIconGroup>& icons, std::span<const std::uint8_t> stub,
                                const std::function<void(bool)>& busy = {});

} // namespace kavrel
