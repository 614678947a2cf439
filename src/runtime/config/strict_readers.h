// The strict configuration readers: a whole TOML or JSON document read into RuntimeConfigFile.
// Syntax errors, duplicate keys, values of the wrong type and integers out of range are errors;
// the error text (position and cause where known) is for people, not for matching.
#pragma once

#include <string>
#include <string_view>

#include "runtime/config/config_file.h"
#include "support/expected.h"

namespace qx {

Expected<RuntimeConfigFile, std::string> read_strict_toml(std::string_view text);

// One JSON object; text after it other than white space is an error, and `null` counts as
// absent.
Expected<RuntimeConfigFile, std::string> read_strict_json(std::string_view text);

}  // namespace qx
