// libFuzzer entry for the bmp target.
#include "fuzz/targets/picture_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* d, size_t n) { return kavrel::fuzz::FuzzBmpReader(d, n); }
