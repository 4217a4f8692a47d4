// Settings that the model layer reads, as process-wide variables named by
// their registry values. The application loads them at start-up and writes
// them back at exit; the defaults below hold until then.
#pragma once

namespace kavrel {

// How JPEG pictures are decoded: 0 always true colour, 1 always 236 colours,
// 2 (default) 236 colours only on an 8-bit screen.
extern int CouleursJPEG;

// Not 0: thumbnails are not cached in each CIcon (less memory, slower lists).
extern int EcoRes;

}  // namespace kavrel
