// The one-time conversion of an earlier librarian: the folder "library" in
// the program folder, where every node is a folder holding "icons.dll" (its
// icons) and "icons.ini" (its name), becomes libraries and folders of the
// librarian. A node with both icons and sub-nodes becomes a library and,
// beside it, a folder of the same name holding the sub-nodes.
#pragma once

#include <string>

#include "model/progress.h"

namespace kavrel {

// String-table numbers of the copy's messages (Abort, Retry, Ignore).
constexpr int kStrCannotOpenSource = 55132;
constexpr int kStrCannotCreateTarget = 55133;
constexpr int kStrReadSourceFailed = 55134;
constexpr int kStrWriteTargetFailed = 55135;

// The library made of the old root's own icons.
inline constexpr const char* kConvertedRootLibrary = "Main library";

enum class CopyResult { Copied = 0, Ignored = 1, Aborted = 2 };

// Copies a file through the atomic writer, with "Copying..." progress. Each
// failure shows its message with the path on a second line and Abort, Retry
// and Ignore: Retry repeats the step, Ignore and Abort end the copy. Equal
// paths copy nothing.
CopyResult CopyFileWithRetry(const std::string& source, const std::string& target,
                             ProgressSink& progress = NullProgress());

// The "Converting existing libraries" window: a progress bar over the
// number of old nodes holding icons.
class ConversionView {
  public:
    virtual ~ConversionView() = default;
    virtual void Show(int steps) { (void)steps; }
    virtual void Step(int done) { (void)done; }
    virtual void Close() {}
};

// The earlier librarian beside the program, when there is one to convert
// (the setting Converted is still 0).
bool EarlierLibrarianToConvert(const std::string& programFolder);

// Converts it into `root` and sets Converted to 1 (the caller writes the
// setting at once and reloads the tree from its root). Returns false when
// there was nothing to convert.
bool ConvertEarlierLibrarian(const std::string& programFolder, const std::string& root, ConversionView& view,
                             ProgressSink& progress = NullProgress());

} // namespace kavrel
