// Icons held as resources in program files: 16-bit modules (NE, which
// includes icon libraries) and 32- and 64-bit ones (PE32 and PE32+).
#pragma once

#include <string>
#include <vector>

#include "model/icon_model.h"
#include "model/progress.h"
#include "platform/byte_reader.h"

namespace kavrel {

constexpr int kStrLoading = 55036; // "Loading ..."

// Appends one group per icon resource of the file, each image carrying the
// file offset it was read from. A file that cannot be read as a whole gives
// nothing. Returns the number of groups appended. With ImageBytes::Skip only
// the resource tree and each image's header are read; the images stay empty
// until ReadSkippedImages.
int ReadProgramFileIcons(std::vector<CIconGroup>& groups, const std::string& path,
                         ProgressSink& progress = NullProgress(), ImageBytes bytes = ImageBytes::Read);
int ReadProgramFileIcons(std::vector<CIconGroup>& groups, ByteSource& source, ProgressSink& progress = NullProgress(),
                         ImageBytes bytes = ImageBytes::Read);

// Reads the images a skipping read left empty, from the source they were
// listed from. A format whose image no longer reads as listed is dropped (the
// file changed underneath). False when any was dropped.
bool ReadSkippedImages(CIconGroup& group, ByteSource& source);

} // namespace kavrel
