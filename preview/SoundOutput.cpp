// The desktop's sound through Qt Multimedia's QAudioSink in pull mode: the sink asks the
// device below for sound as its buffer drains, on the thread that runs the window, and the
// device hands it what the stream's own thread has rendered meanwhile: never more work
// than a copy, whatever the melody.

#include "preview/SoundOutput.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>
#include <algorithm>
#include <cstring>

namespace q7k3::smaf {
namespace {

constexpr size_t kCaptureBlock = 2048;

class PcmDevice : public QIODevice {
public:
    explicit PcmDevice(PcmStream& stream) : m_stream(stream) {}
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return (m_ended ? 0 : 1 << 16) + QIODevice::bytesAvailable();
    }
    bool Ended() const { return m_ended; }

protected:
    qint64 readData(char* data, qint64 maxlen) override {
        if (m_ended || maxlen < 4) return 0;
        const size_t frames = std::min<size_t>(static_cast<size_t>(maxlen) / 4, kCaptureBlock * 4);
        m_buffer.resize(frames * 2);
        const size_t n = m_stream.Take(m_buffer.data(), frames);
        if (n == 0) {
            // Nothing ready yet is a moment's gap; the sink asks again.
            m_ended = m_stream.Ended();
            return 0;
        }
        std::memcpy(data, m_buffer.data(), n * 4);
        return static_cast<qint64>(n * 4);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    PcmStream& m_stream;
    std::vector<int16_t> m_buffer;
    bool m_ended = false;
};

class DesktopOutput : public SoundOutput {
public:
    ~DesktopOutput() override { Stop(); }

    bool Start(PcmStream& stream, std::function<void()> finished) override {
        QAudioFormat format;
        format.setSampleRate(stream.SampleRate());
        format.setChannelCount(2);
        format.setSampleFormat(QAudioFormat::Int16);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull() || !device.isFormatSupported(format)) return false;
        m_device = std::make_unique<PcmDevice>(stream);
        m_device->open(QIODevice::ReadOnly);
        m_sink = std::make_unique<QAudioSink>(device, format);
        // A fifth of a second buffered: the first sound comes soon and Stop is heard at once.
        m_sink->setBufferSize(stream.SampleRate() * 4 / 5);
        m_finished = std::move(finished);
        QObject::connect(m_sink.get(), &QAudioSink::stateChanged, m_sink.get(),
                         [this](QAudio::State) { CheckEnd(); });
        // A sink already idle for want of sound when the stream ends changes no state:
        // the end is also looked for now and then.
        m_poll.setInterval(100);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { CheckEnd(); });
        m_poll.start();
        m_sink->start(m_device.get());
        if (m_sink->error() != QAudio::NoError) {
            Stop();
            return false;
        }
        return true;
    }

    void Stop() override {
        m_finished = nullptr;
        m_poll.stop();
        if (m_sink) {
            m_sink->disconnect();
            m_sink->stop();
            m_sink.reset();
        }
        m_device.reset();
    }

private:
    void CheckEnd() {
        if (!m_sink || !m_finished) return;
        const QAudio::State state = m_sink->state();
        const bool ended = state == QAudio::IdleState && m_device->Ended();
        const bool failed = state == QAudio::StoppedState && m_sink->error() != QAudio::NoError;
        if (ended || failed) {
            auto done = std::move(m_finished);
            m_finished = nullptr;
            m_poll.stop();
            done();
        }
    }

    std::unique_ptr<PcmDevice> m_device;
    std::unique_ptr<QAudioSink> m_sink;
    std::function<void()> m_finished;
    QTimer m_poll;
};

class CaptureOutput : public SoundOutput {
public:
    CaptureOutput(std::shared_ptr<CaptureLog> log, bool keep)
        : m_log(std::move(log)), m_keep(keep) {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { Pull(); });
    }

    bool Start(PcmStream& stream, std::function<void()> finished) override {
        m_source = &stream;
        m_finished = std::move(finished);
        m_log->Started = std::chrono::steady_clock::now();
        Pull();  // a sound device takes its first buffer as it starts
        if (m_source) m_timer.start();
        return true;
    }

    void Stop() override {
        m_timer.stop();
        m_source = nullptr;
        m_finished = nullptr;
    }

private:
    void Pull() {
        if (!m_source) return;
        int16_t block[kCaptureBlock * 2];
        const size_t n = m_source->Take(block, kCaptureBlock);
        if (n > 0 && !m_log->GotSound) {
            m_log->GotSound = true;
            m_log->FirstSound = std::chrono::steady_clock::now();
        }
        m_log->Frames += n;
        if (m_keep) m_log->Pcm.insert(m_log->Pcm.end(), block, block + n * 2);
        if (n == 0 && m_source->Ended()) {
            m_log->Finished = true;
            auto done = std::move(m_finished);
            Stop();
            if (done) done();
        }
    }

    std::shared_ptr<CaptureLog> m_log;
    bool m_keep;
    QTimer m_timer;
    PcmStream* m_source = nullptr;
    std::function<void()> m_finished;
};

}  // namespace

bool DesktopSoundAvailable() {
    return !QMediaDevices::defaultAudioOutput().isNull();
}

std::unique_ptr<SoundOutput> MakeDesktopSoundOutput() {
    return std::make_unique<DesktopOutput>();
}

std::unique_ptr<SoundOutput> MakeCaptureSoundOutput(std::shared_ptr<CaptureLog> log, bool keepPcm) {
    return std::make_unique<CaptureOutput>(std::move(log), keepPcm);
}

}  // namespace q7k3::smaf
