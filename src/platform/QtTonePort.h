// The audio port on Qt Multimedia: a tone generated in memory (no file to ship), played through
// a QAudioSink on the default sound output. The output is looked for once, when first asked.
#pragma once

#include "TonePort.h"

#include <QBuffer>
#include <QByteArray>

#include <memory>
#include <optional>

class QAudioSink;

namespace k7 {

class QtTonePort final : public TonePort {
public:
    QtTonePort();
    ~QtTonePort() override;
    QtTonePort(const QtTonePort&) = delete;
    QtTonePort& operator=(const QtTonePort&) = delete;

    bool HasDevice() const override;
    void PlayTone() override;

    // Two short beeps, 16-bit mono PCM at this rate, with soft edges (no click).
    static constexpr int kSampleRate = 22050;
    static QByteArray ToneSamples();

private:
    mutable std::optional<bool> hasDevice_;
    QByteArray samples_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
};

} // namespace k7
