#include "QtTonePort.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace k7 {
namespace {

constexpr double kPitchHz = 1046.5; // C6: cuts through stage noise without being shrill
constexpr int kBeepMs = 140;
constexpr int kPauseMs = 80;
constexpr int kEdgeMs = 8;
constexpr double kAmplitude = 0.5 * 32767;

QAudioFormat ToneFormat() {
    QAudioFormat format;
    format.setSampleRate(QtTonePort::kSampleRate);
    format.setChannelCount(1);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

} // namespace

QByteArray QtTonePort::ToneSamples() {
    const int beep = kSampleRate * kBeepMs / 1000;
    const int pause = kSampleRate * kPauseMs / 1000;
    const int edge = kSampleRate * kEdgeMs / 1000;
    QByteArray pcm;
    pcm.reserve((2 * beep + pause) * 2);
    const auto append = [&pcm](std::int16_t sample) {
        pcm.append(static_cast<char>(sample & 0xff));
        pcm.append(static_cast<char>((sample >> 8) & 0xff));
    };
    for (int part = 0; part < 2; ++part) {
        for (int i = 0; i < beep; ++i) {
            const double ramp = std::min({1.0, double(i) / edge, double(beep - 1 - i) / edge});
            append(static_cast<std::int16_t>(
                kAmplitude * ramp * std::sin(2 * std::numbers::pi * kPitchHz * i / kSampleRate)));
        }
        for (int i = 0; part == 0 && i < pause; ++i) {
            append(0);
        }
    }
    return pcm;
}

QtTonePort::QtTonePort() = default;

QtTonePort::~QtTonePort() {
    if (sink_) {
        sink_->stop();
    }
}

bool QtTonePort::HasDevice() const {
    if (!hasDevice_) {
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        hasDevice_ = !device.isNull() && device.isFormatSupported(ToneFormat());
    }
    return *hasDevice_;
}

void QtTonePort::PlayTone() {
    if (!HasDevice()) {
        return;
    }
    if (!sink_) {
        samples_ = ToneSamples();
        sink_ = std::make_unique<QAudioSink>(QMediaDevices::defaultAudioOutput(), ToneFormat());
    }
    sink_->stop();
    buffer_.close();
    buffer_.setData(samples_);
    buffer_.open(QIODevice::ReadOnly);
    sink_->start(&buffer_);
}

} // namespace k7
