#include "persist/market_data_writer/writer_errors.h"

namespace qx::persist {

std::string NormalizedMarketDataWriterTryError::message() const {
    switch (kind) {
        case NormalizedWriterTryErrorKind::QueueFull:
            return "normalized market-data record queue is full";
        case NormalizedWriterTryErrorKind::PayloadByteQueueFull:
            return "normalized market-data payload-byte queue is full";
        case NormalizedWriterTryErrorKind::PayloadTooLarge:
            return "normalized market-data payload exceeds configured maximum";
        case NormalizedWriterTryErrorKind::Codec:
            return codec.message();
        case NormalizedWriterTryErrorKind::Stopped:
            return "normalized market-data writer is stopped";
    }
    return "normalized market-data writer refused the record";
}

std::string MarketDataWriterControlError::message() const {
    switch (kind) {
        case MarketDataWriterControlErrorKind::Stopped:
            return "market-data WAL worker stopped";
        case MarketDataWriterControlErrorKind::Persistence:
            return "market-data WAL persistence failed: " + detail;
        case MarketDataWriterControlErrorKind::Panicked:
            return "market-data WAL worker panicked";
    }
    return "market-data WAL worker failed";
}

}  // namespace qx::persist
