// The string table: every text the program shows, by number.
#pragma once

#include <string>

namespace kavrel {

// The text of a string, or an empty string for an unknown number.
const std::string& LoadString(int id);
// The text with its one printf-style value filled in.
std::string FormatString(int id, int value);
std::string FormatString(int id, const std::string& value);
std::string FormatString(int id, int value1, int value2);
std::string FormatString(int id, const std::string& value1, const std::string& value2);
// "%dx%d - %s" and "(Icon %d in ... %s)".
std::string FormatString(int id, int value1, int value2, const std::string& value3);
std::string FormatString(int id, int value1, int value2, const std::string& value3, const std::string& value4);
std::string FormatString(int id, int value1, const std::string& value2);
std::string FormatString(int id, const std::string& value1, int value2, int value3);

} // namespace kavrel
