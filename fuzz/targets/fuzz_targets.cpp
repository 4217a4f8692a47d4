#include "fuzz/targets/fuzz_targets.h"

#include "fuzz/targets/clipboard_targets.h"
#include "fuzz/targets/ico_targets.h"
#include "fuzz/targets/palette_targets.h"
#include "fuzz/targets/payload_targets.h"
#include "fuzz/targets/picture_targets.h"
#include "fuzz/targets/program_targets.h"
#include "fuzz/targets/viewer_targets.h"

namespace kavrel::fuzz {

const std::vector<FuzzTarget>& FuzzTargets()
{
    static const std::vector<FuzzTarget> table = {
        {"ico", FuzzIcoReader, IcoSeeds},
        {"dib", FuzzDibReader, DibSeeds},
        {"ne", FuzzNeReader, NeSeeds},
        {"pe", FuzzPeReader, PeSeeds},
        {"palette", FuzzPaletteFile, PaletteSeeds},
        {"clipboard", FuzzClipboardBlock, ClipboardSeeds},
        {"bmp", FuzzBmpReader, BmpSeeds},
        {"jpeg", FuzzJpegReader, JpegSeeds},
        {"payload", FuzzIconPayload, PayloadSeeds},
        {"viewer", FuzzViewerCore, ViewerSeeds},
    };
    return table;
}

} // namespace kavrel::fuzz
