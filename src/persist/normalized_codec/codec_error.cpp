#include "persist/normalized_codec/codec_error.h"

namespace qx::persist {

std::string NormalizedMarketDataCodecError::message() const {
    switch (kind) {
        case NormalizedCodecErrorKind::VenueTooLong:
            return "normalized venue identifier is too long";
        case NormalizedCodecErrorKind::SymbolTooLong:
            return "normalized symbol identifier is too long";
        case NormalizedCodecErrorKind::TruncatedHeader:
            return "normalized event header is truncated";
        case NormalizedCodecErrorKind::BadMagic:
            return "normalized event magic is invalid";
        case NormalizedCodecErrorKind::UnsupportedVersion:
            return "normalized event version " + std::to_string(value) + " is unsupported";
        case NormalizedCodecErrorKind::ReservedNonzero:
            return "normalized event reserved byte is nonzero";
        case NormalizedCodecErrorKind::KindMismatch:
            return "normalized event kind does not match WAL kind";
        case NormalizedCodecErrorKind::BadSide:
            return "normalized side " + std::to_string(value) + " is invalid";
        case NormalizedCodecErrorKind::BadBookAction:
            return "normalized book action " + std::to_string(value) + " is invalid";
        case NormalizedCodecErrorKind::BadLength:
            return "normalized event payload length is invalid";
        case NormalizedCodecErrorKind::NotUtf8:
            return "normalized event identifier is not UTF-8";
    }
    return "normalized event is invalid";
}

}  // namespace qx::persist
