// Line readers for the older flat key/value style of configuration files. They are tried only
// after the strict reader of the same format has failed, and they are deliberately permissive:
// no types, no escapes, no nesting beyond what is described here.
#pragma once

#include <string_view>

#include "runtime/config/config_mapping.h"
#include "runtime/engine/runtime_error.h"
#include "support/expected.h"

namespace qx {

// `key = value` lines; `#` starts a comment anywhere (even inside quotes); `[name]` headers
// prefix the following keys with "name."; one pair of enclosing double quotes is removed from a
// value. A non-blank line that is neither a header nor holds `=` fails with "invalid toml line".
// Later assignments replace earlier ones.
Expected<ConfigKeyValues, RuntimeError> read_legacy_toml(std::string_view text);

// `"key": value` lines, one pair per line; nesting is not tracked, so keys of nested objects are
// stored under their own names. Never fails: lines it cannot read are skipped.
ConfigKeyValues read_legacy_json(std::string_view text);

}  // namespace qx
