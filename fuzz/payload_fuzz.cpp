// libFuzzer entry for the payload target.
#include <string_view>

#include "fuzz/targets/fuzz_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const auto run = [] {
        for (const auto& t : kavrel::fuzz::FuzzTargets())
            if (std::string_view(t.name) == "payload")
                return t.run;
        return static_cast<int (*)(const std::uint8_t*, std::size_t)>(nullptr);
    }();
    return run(data, size);
}
