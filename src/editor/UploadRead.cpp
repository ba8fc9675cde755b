#include "UploadRead.h"

#include <algorithm>

namespace k7 {

UploadRead ReadUploadAnswer(UploadAnswer& answer, const UploadReader& reader) {
    UploadRead result;
    const std::int64_t start = reader.nowMicros ? reader.nowMicros() : 0;
    for (int reads = 1;; ++reads) {
        std::uint32_t got = 0;
        const std::span<std::uint8_t> rest = std::span(answer).subspan(result.bytes);
        result.status = reader.read(rest, &got);
        result.bytes += std::min<std::uint32_t>(got, static_cast<std::uint32_t>(rest.size()));
        if (result.status != FT_OK && result.status != FT_IO_ERROR) {
            result.end = UploadReadEnd::ReadError;
            return result;
        }
        if (result.bytes >= answer.size()) {
            result.end = UploadReadEnd::Complete;
            return result;
        }
        if (got == 0) {
            if (reader.emptyRead) {
                reader.emptyRead(result.status);
            }
            result.end = UploadReadEnd::TimedOut;
            return result;
        }
        const bool outOfTime = reader.nowMicros ? reader.nowMicros() - start >= kUploadLimitMicros
                                                : reads >= kMaxReads;
        if (outOfTime) {
            result.end = UploadReadEnd::TimedOut;
            return result;
        }
    }
}

} // namespace k7
