#include "support/external_tools.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kavrel::test {

bool HaveTool(const std::string& name)
{
    const char* path = std::getenv("PATH");
    const std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

std::string CommandOutput(const std::string& command, int* status)
{
    std::string out;
    FILE* p = ::popen(command.c_str(), "r");
    if (!p) {
        if (status)
            *status = -1;
        return out;
    }
    char buf[4096];
    while (std::size_t n = std::fread(buf, 1, sizeof buf, p))
        out.append(buf, n);
    const int rc = ::pclose(p);
    if (status)
        *status = rc;
    return out;
}

bool RunCommand(const std::string& command, std::string* output)
{
    int status = 0;
    std::string text = CommandOutput(command, &status);
    if (output)
        *output = std::move(text);
    return status == 0;
}

}  // namespace kavrel::test
