// Running the independent tools (icotool, wrestool, convert, the mingw tool
// chain) that make and check fixtures. A test whose tool is missing skips.
#pragma once

#include <string>

namespace kavrel::test {

// Whether an executable of that name is on PATH.
bool HaveTool(const std::string& name);
// Runs a shell command; true when it exits with 0. Its standard output goes
// to output when given.
bool RunCommand(const std::string& command, std::string* output = nullptr);
// Runs a shell command and gives its standard output; status receives the
// wait status.
std::string CommandOutput(const std::string& command, int* status = nullptr);

}  // namespace kavrel::test
