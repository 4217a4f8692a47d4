// The clipboard as the editor sees it: what Copy puts there (the program's
// own block, the image composited on the clipboard background as a standard
// bitmap, the palette) and what Paste takes back, in order of preference.
// The program installs a service on the system clipboard (editor/ui/
// qt_clipboard.h); tests use MemoryClipboard.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/dib.h"
#include "platform/gdi.h"

namespace kavrel {

struct ProgressSink;

// The registered name of the program's own format.
inline constexpr const char* kClipboardFormatName = "Kavrel 4.0 Data";

struct ClipboardContents {
    std::vector<std::uint8_t> privateBlock; // empty: not on the clipboard
    PackedDib dib;                          // the standard image; empty: none
    std::optional<Palette> palette;
    // A picture with alpha (image/png from another program, or what a 32-bit
    // format copies): an alpha bitmap, null when there is none. The standard
    // image is then that picture laid on the background.
    Bitmap alphaImage;
};

class ClipboardService {
  public:
    virtual ~ClipboardService() = default;
    // Empties the clipboard and puts every format given; false when the
    // clipboard cannot be opened.
    virtual bool Put(const ClipboardContents& contents) = 0;
    // The private format or a standard image is there (Paste is enabled).
    virtual bool CanPaste() const = 0;
    // What is there now; nullopt when the clipboard cannot be opened.
    virtual std::optional<ClipboardContents> Get() = 0;
};

// A clipboard in memory, for tests and for running without a desktop.
class MemoryClipboard final : public ClipboardService {
  public:
    bool Put(const ClipboardContents& c) override
    {
        if (!openable)
            return false;
        contents = c;
        ++puts;
        return true;
    }
    bool CanPaste() const override
    {
        return !contents.privateBlock.empty() || !contents.dib.empty() || !contents.alphaImage.isNull();
    }
    std::optional<ClipboardContents> Get() override
    {
        if (!openable)
            return std::nullopt;
        return contents;
    }
    ClipboardContents contents;
    bool openable = true;
    int puts = 0;
};

// The service in use; without one Copy and Paste do nothing.
ClipboardService* GetClipboardService();
void SetClipboardService(ClipboardService* service);

// The "Paste options" dialog: the placement (0 to 3) or nullopt for Cancel.
// Choices 2 and 3 are offered only when selectionChoices is set.
class PasteOptionsPrompt {
  public:
    virtual ~PasteOptionsPrompt() = default;
    virtual std::optional<int> Ask(int initial, bool selectionChoices) = 0;
};
void SetPasteOptionsPrompt(PasteOptionsPrompt* prompt);
// The placement remembered for the next paste until the program ends.
int& RememberedPastePlacement();

// The settings the clipboard reads (OptionsDeCollage, ClipBoardBackgroundColor);
// the shell binds its variables at start-up, null pointers keep the defaults
// (ask, white).
void BindClipboardSettings(int* optionsDeCollage, std::uint32_t* backgroundColor);
// Where "Pasting ..." shows while colours are dithered.
void SetPasteProgress(ProgressSink* sink);

// The contents Copy puts on the clipboard for a colour and mask bitmap of a
// format of the given depth and palette.
ClipboardContents MakeClipboardContents(const Bitmap& color, const Bitmap& mask, int bitDepth, const Palette* palette,
                                        COLORREF background);

} // namespace kavrel
