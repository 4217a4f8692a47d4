// ICO files, and the entry point that reads the icons of any file by its kind.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/icon_model.h"
#include "platform/byte_reader.h"

namespace kavrel {

enum class FileKindType { Unknown, Icon, ProgramFile, IconLibrary };
FileKindType FileKind(const std::string& path);

// Whole: a file with one damaged image gives nothing. IntactImages: the
// images that read are taken and the others left out (a damaged file the
// user asked to open as far as it goes). An image is damaged when it does not
// read within the bytes up to the next image or the end of the file.
enum class IcoReadMode { Whole, IntactImages };
// How many images the directory lists, and how many of them were read.
struct IcoImageCount {
    int listed = 0;
    int read = 0;
};

// Reads an ICO file into one group appended to `groups`; nothing is appended
// when the file is not a valid icon file. Returns true when a group was added.
bool ReadIcoGroup(ByteSource& source, std::vector<CIconGroup>& groups);
bool ReadIcoGroupFile(const std::string& path, std::vector<CIconGroup>& groups);
// The same, also giving the file offset of each format's image, in the
// group's sorted order; `count` (when given) is filled in on success. With
// ImageBytes::Skip only the directory and each image's header are read: the
// formats are the same, their images empty (a listing needs no more).
bool ReadIcoGroupWithOffsets(ByteSource& source, std::vector<CIconGroup>& groups, std::vector<std::uint64_t>& offsets,
                             IcoReadMode mode = IcoReadMode::Whole, IcoImageCount* count = nullptr,
                             ImageBytes bytes = ImageBytes::Read);

// The ICO bytes of a list of packed images, in the order given; the caller
// keeps them sorted.
std::vector<std::uint8_t> BuildIcoFile(const std::vector<const CIcon*>& images);
// Written through the atomic writer; on failure `error` receives the
// system's error number (0 for images that cannot be written at all).
bool WriteIcoFile(const std::string& path, const std::vector<const CIcon*>& images, int* error = nullptr);

// The icon document's side: formats read as editable objects (sorted), and
// written after packing each. A failed read leaves `objects` unchanged.
bool ReadIcoObjects(ByteSource& source, std::vector<std::unique_ptr<CIconObject>>& objects,
                    IcoReadMode mode = IcoReadMode::Whole, IcoImageCount* count = nullptr);
bool WriteIcoObjects(const std::string& path, std::vector<std::unique_ptr<CIconObject>>& objects);

// Readers for program files and icon libraries plug in here, so that the
// model does not depend on them. Each appends groups and returns how many.
// An empty reader puts back the built-in one.
using ProgramFileReader = std::function<int(const std::string& path, std::vector<CIconGroup>& groups)>;
void SetProgramFileReader(ProgramFileReader reader);

// Fills `groups` from any file by its kind; returns the number of groups in
// the array afterwards.
int LoadIconsFromFile(std::vector<CIconGroup>& groups, const std::string& path);

} // namespace kavrel
