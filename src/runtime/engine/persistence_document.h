// The market-data persistence document embedded in the health and metrics documents.
#pragma once

#include <string>

namespace qx {

// The fixed document reported while no market-data write-ahead log is configured.
const std::string& disabled_market_data_persistence_json();

}  // namespace qx
