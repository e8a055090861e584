// Names from the network made safe to show: a hostile name still yields
// valid JSON and prints harmlessly on a terminal.
#pragma once

#include <string>
#include <string_view>

namespace hw::report {

// A JSON string literal: quotes, backslashes and control bytes escaped, and
// every byte that is not part of well-formed UTF-8 replaced by U+FFFD.
std::string JsonString(std::string_view text);

// The text with control bytes and malformed UTF-8 shown as \xNN, safe to
// print on a terminal.
std::string PrintableText(std::string_view text);

}  // namespace hw::report
