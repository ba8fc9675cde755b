// The read loop of an upload: reads appended one after another until the whole answer is in,
// a read brings nothing (time-out), a read fails, or the time allowed runs out, so that a
// receiver that trickles its bytes cannot hold the station.
#pragma once

#include "TransferBlock.h"
#include "link/Ftd2xx.h"

#include <cstdint>
#include <functional>
#include <span>

namespace k7 {

enum class UploadReadEnd { Complete, TimedOut, ReadError };

struct UploadRead {
    UploadReadEnd end = UploadReadEnd::TimedOut;
    std::uint32_t bytes = 0;  // bytes in the answer
    FT_STATUS status = FT_OK; // of the last read
};

struct UploadReader {
    // One driver read into the span (the rest of the answer); got: the bytes that came.
    std::function<FT_STATUS(std::span<std::uint8_t>, std::uint32_t*)> read;
    // The clock's time; none: at most kMaxReads reads.
    std::function<std::int64_t()> nowMicros;
    // Told the status of a read that brought nothing, before the loop gives up.
    std::function<void(FT_STATUS)> emptyRead;
};

inline constexpr std::int64_t kUploadLimitMicros = 3'000'000;
inline constexpr int kMaxReads = 3; // 3 s of reads at the upload's 1000 ms read time-out

UploadRead ReadUploadAnswer(UploadAnswer& answer, const UploadReader& reader);

} // namespace k7
