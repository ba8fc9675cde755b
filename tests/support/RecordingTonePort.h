// The audio port in tests: counts the tones asked for; "device" says whether a sound output
// exists.
#pragma once

#include "platform/TonePort.h"

namespace k7::test {

class RecordingTonePort final : public TonePort {
public:
    bool HasDevice() const override { return device; }
    void PlayTone() override { ++played; }

    bool device = true;
    int played = 0;
};

} // namespace k7::test
