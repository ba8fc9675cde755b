// The audio port: a short alarm tone on the machine's sound output, and whether there is one.
// The program plays a tone it generates (QtTonePort); tests record the requests.
#pragma once

namespace k7 {

class TonePort {
public:
    virtual ~TonePort() = default;
    // False on a machine without a sound output: a tone asked for is then not heard.
    virtual bool HasDevice() const = 0;
    // Starts the tone and returns at once; a tone still playing starts again.
    virtual void PlayTone() = 0;
};

} // namespace k7
