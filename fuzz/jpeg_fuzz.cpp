// libFuzzer entry for the jpeg target.
#include "fuzz/targets/picture_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* d, size_t n) { return kavrel::fuzz::FuzzJpegReader(d, n); }
