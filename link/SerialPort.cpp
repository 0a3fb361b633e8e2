#include "link/SerialPort.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <thread>

namespace q7k3 {
namespace {

constexpr uint32_t kMinQueue = 128;
constexpr uint32_t kMaxQueue = 8192;
constexpr uint16_t kMinPollingDelay = 5;
// With a read notifier the bytes are delivered as soon as they arrive; the timer is then
// only the backstop, and ticking it every 5 ms would keep an idle program busy.
constexpr int kNotifierBackstopMs = 50;

uint32_t ClampQueue(uint32_t size) {
    return std::clamp(size, kMinQueue, kMaxQueue);
}

int64_t SteadyNowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

uint32_t BaudRateOf(TBaudRate rate) {
    static constexpr uint32_t kRates[] = {0,     110,    300,    600,   1200,  2400,
                                          4800,  9600,   14400,  19200, 38400, 56000,
                                          57600, 115200, 128000, 256000};
    const auto index = static_cast<size_t>(rate);
    return index < std::size(kRates) ? kRates[index] : 0;
}

std::string ComPortName(int number) {
    return "/dev/ttyS" + std::to_string(number - 1);
}

bool LineFromModeString(std::string_view mode, LineSettings& s) {
    // rate,parity,data,stop - the four fields the system's own conversion takes.
    std::string_view fields[4];
    for (size_t i = 0; i < 4; ++i) {
        const size_t comma = mode.find(',');
        if ((comma == std::string_view::npos) != (i == 3)) return false;
        fields[i] = mode.substr(0, comma);
        if (comma != std::string_view::npos) mode.remove_prefix(comma + 1);
    }
    uint32_t rate = 0;
    const auto [end, ec] =
        std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), rate);
    if (ec != std::errc() || end != fields[0].data() + fields[0].size() || rate == 0) {
        return false;
    }
    LineSettings out;
    out.BaudRate = rate;
    static constexpr std::string_view kParities = "NOEMS";
    if (fields[1].size() != 1 || kParities.find(fields[1][0]) == std::string_view::npos) {
        return false;
    }
    out.Parity = static_cast<int>(kParities.find(fields[1][0]));
    if (fields[2].size() != 1 || fields[2][0] < '5' || fields[2][0] > '8') return false;
    out.DataBits = fields[2][0] - '0';
    if (fields[3] == "1")
        out.StopBits = 0;
    else if (fields[3] == "1.5")
        out.StopBits = 1;
    else if (fields[3] == "2")
        out.StopBits = 2;
    else
        return false;
    s = out;
    return true;
}

SerialPort::SerialPort(std::unique_ptr<SerialDevice> device, QObject* parent)
    : QObject(parent),
      m_device(device ? std::move(device) : MakeSystemSerialDevice()),
      m_portName(ComPortName(2)),
      m_now(SteadyNowMs),
      m_sleep([](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }) {
    ReallocateScratch();
    m_pollTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_pollTimer, &QTimer::timeout, this, &SerialPort::TimerTick);
}

SerialPort::~SerialPort() {
    Disconnect();
}

std::unique_ptr<SerialPort> SerialPort::CreatePhonePort(std::unique_ptr<SerialDevice> device) {
    auto comm = std::make_unique<SerialPort>(std::move(device));
    comm->SetPortName(ComPortName(4));
    comm->SetBaudRateValue(128000);
    comm->SetPollingDelay(5);
    comm->SetCheckLineStatus(true);
    return comm;
}

void SerialPort::SetPort(TPortNumber port) {
    if (Connected()) return;
    m_port = port;
    if (port != pnCustom) m_portName = ComPortName(static_cast<int>(port));
}

void SerialPort::SetPortName(const std::string& name) {
    if (Connected()) return;
    m_portName = name;
    m_port = pnCustom;
}

void SerialPort::SetBaudRate(TBaudRate rate) {
    m_baudRate = rate;
    if (rate != brCustom) m_baudRateValue = BaudRateOf(rate);
    ReapplyIfConnected();
}

void SerialPort::SetBaudRateValue(uint32_t value) {
    m_baudRateValue = value;
    m_baudRate = brCustom;
    ReapplyIfConnected();
}

void SerialPort::SetDataBits(TDataBits bits) {
    m_dataBits = bits;
    ReapplyIfConnected();
}

void SerialPort::SetStopBits(TStopBits bits) {
    m_stopBits = bits;
    ReapplyIfConnected();
}

void SerialPort::SetParity(TParity parity) {
    m_parity = parity;
    ReapplyIfConnected();
}

void SerialPort::SetHwFlow(THwFlowControl flow) {
    m_hwFlow = flow;
    ReapplyIfConnected();
}

void SerialPort::SetSwFlow(TSwFlowControl flow) {
    m_swFlow = flow;
    ReapplyIfConnected();
}

void SerialPort::SetInBufSize(uint32_t size) {
    if (Connected()) return;
    m_inBufSize = ClampQueue(size);
    ReallocateScratch();
}

void SerialPort::SetOutBufSize(uint32_t size) {
    if (Connected()) return;
    m_outBufSize = ClampQueue(size);
}

void SerialPort::SetPacketSize(int16_t size) {
    m_packetSize = size < 1 ? int16_t(-1) : size;
    ReallocateScratch();
}

void SerialPort::SetPacketTimeout(int32_t ms) {
    m_packetTimeout = ms < 1 ? -1 : ms;
}

void SerialPort::SetPollingDelay(uint16_t ms) {
    const uint16_t value = std::max(ms, kMinPollingDelay);
    if (value == m_pollingDelay) return;
    m_pollingDelay = value;
    if (Connected() && m_pollTimer.isActive()) {
        m_pollTimer.stop();
        m_pollTimer.start(PollPeriod());
    }
}

int SerialPort::PollPeriod() const {
    // Packet mode times its incomplete packets on the ticks, so it keeps the full rate.
    if (m_notifier && m_packetSize < 1) return std::max<int>(m_pollingDelay, kNotifierBackstopMs);
    return m_pollingDelay;
}

void SerialPort::ReallocateScratch() {
    const size_t size =
        std::max<size_t>(m_inBufSize, m_packetSize > 0 ? static_cast<size_t>(m_packetSize) : 0);
    std::vector<unsigned char>(size).swap(m_scratch);
}

void SerialPort::ReapplyIfConnected() {
    if (Connected()) ApplyCOMSettings();
}

bool SerialPort::Connected() const {
    return m_device->IsOpen();
}

bool SerialPort::Connect() {
    if (Connected()) return true;
    if (!m_device->Open(m_portName)) return false;
    if (!ApplyCOMSettings()) {
        m_device->Close();
        return false;
    }
    // The device never blocks on reading, which stands for the read time-outs of 1 ms.
    StartPolling();
    return true;
}

void SerialPort::Disconnect() {
    if (!Connected()) return;
    StopPolling();
    m_device->Close();
    m_packetStartTime = -1;
}

void SerialPort::StartPolling() {
    // Timers need an event loop; without an application object the poll is driven by
    // whoever calls PollTick.
    if (!QCoreApplication::instance()) return;
    const int fd = m_device->NativeHandle();
    if (m_useNotifier && fd >= 0) {
        m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &SerialPort::NotifierActivated);
    }
    m_pollTimer.start(PollPeriod());
}

void SerialPort::StopPolling() {
    m_pollTimer.stop();
    if (m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
}

void SerialPort::SetReadNotifier(bool on) {
    m_useNotifier = on;
    if (!on && m_notifier) {
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
        m_notifier = nullptr;
    }
}

void SerialPort::SetClock(std::function<int64_t()> nowMs, std::function<void(int)> sleepMs) {
    if (nowMs) m_now = std::move(nowMs);
    if (sleepMs) m_sleep = std::move(sleepMs);
}

void SerialPort::TimerTick() {
    PollTick();
    // The timer is the guarantee; it also wakes a notifier that went quiet (below).
    if (m_notifier && !m_notifier->isEnabled() && !m_device->Vanished()) {
        m_notifier->setEnabled(true);
    }
}

void SerialPort::NotifierActivated() {
    if (m_device->QueuedInput() > 0) {
        PollTick();
        return;
    }
    // Readable with nothing queued: most likely a hang-up, which only a read tells (a
    // byte that arrived meanwhile is delivered as usual).
    uint32_t got = 0;
    if (!m_inTick && m_packetSize < 1 && Connected()) {
        got = ReadInto(1);
        if (got > 0 && OnReceiveData) OnReceiveData(this, m_scratch.data(), got);
    }
    // A device in a hang-up or error state would wake us again at once: leave it to the
    // timer, which turns the notifier back on at its next tick.
    if (got == 0 && m_notifier) m_notifier->setEnabled(false);
}

bool SerialPort::ApplyCOMSettings() {
    if (!Connected()) return false;
    LineSettings line;
    if (m_settingsMode) {
        line.BaudRate = m_baudRateValue;
        line.Dtr = m_enableDtrOnOpen;
        line.Rts = m_hwFlow == hfNONERTSON;
        line.RtsCts = m_hwFlow == hfRTSCTS;
        line.XonXoff = m_swFlow == sfXONXOFF;
        line.DataBits = static_cast<int>(m_dataBits) + 5;
        line.Parity = static_cast<int>(m_parity);
        line.StopBits = static_cast<int>(m_stopBits);
    } else if (!LineFromModeString(std::to_string(m_baudRateValue) + ",N,8,1", line)) {
        return false;
    }
    if (!m_device->ApplyLineSettings(line)) return false;
    if (!FlushBuffers(true, true)) return false;
    return m_device->SetQueueSizes(m_inBufSize, m_outBufSize);
}

uint32_t SerialPort::SendData(const void* data, uint32_t size) {
    return SendDataEx(data, size, m_outputTimeout);
}

uint32_t SerialPort::SendDataEx(const void* data, uint32_t size, uint32_t limitMs) {
    if (!Connected() || !data) return 0;
    const auto* bytes = static_cast<const unsigned char*>(data);
    uint32_t total = 0;
    int64_t lastProgress = m_now();
    while (total < size) {
        const int free = OutFreeSpace();
        if (free > 0) {
            if (m_checkLineStatus && GetLineStatus() == 0) break;
            const uint32_t chunk = std::min<uint32_t>(static_cast<uint32_t>(free), size - total);
            const int64_t written = m_device->Write(bytes + total, chunk);
            // A device that fails a write (gone) will not take the rest either.
            if (written < 0) break;
            if (written > 0) {
                total += static_cast<uint32_t>(written);
                lastProgress = m_now();
                continue;
            }
        }
        if (m_now() - lastProgress > static_cast<int64_t>(limitMs)) break;
        m_sleep(1);
    }
    return total;
}

bool SerialPort::SendString(std::string_view text) {
    return SendData(text.data(), static_cast<uint32_t>(text.size())) == text.size();
}

bool SerialPort::FlushBuffers(bool input, bool output) {
    if (!Connected()) return false;
    if (!m_device->Purge(input, output)) return false;
    m_packetStartTime = -1;
    return true;
}

int16_t SerialPort::OutFreeSpace() {
    if (!Connected()) return -1;
    const int64_t queued = std::max<int64_t>(m_device->QueuedOutput(), 0);
    return static_cast<int16_t>(std::max<int64_t>(static_cast<int64_t>(m_outBufSize) - queued, 0));
}

TLineStatusSet SerialPort::GetLineStatus() {
    if (!Connected()) return 0;
    unsigned lines = 0;
    if (!m_device->GetModemLines(lines)) return 0;
    return lines & (lsCTS | lsDSR | lsRING | lsCD);
}

uint32_t SerialPort::ReadInto(uint32_t count) {
    count = std::min<uint32_t>(count, static_cast<uint32_t>(m_scratch.size()));
    const int64_t n = m_device->Read(m_scratch.data(), count);
    return n > 0 ? static_cast<uint32_t>(n) : 0;
}

void SerialPort::PollTick() {
    // A handler that pumps events must not start a second tick over the same scratch.
    if (!Connected() || m_inTick) return;
    m_inTick = true;
    const int64_t queued = m_device->QueuedInput();
    if (m_packetSize < 1) {
        // A device that cannot count its queue is simply read: the read never blocks.
        if (queued != 0) {
            const uint32_t want =
                queued < 0 ? m_inBufSize
                           : static_cast<uint32_t>(std::min<int64_t>(queued, m_inBufSize));
            const uint32_t got = ReadInto(std::min(want, m_inBufSize));
            if (got > 0 && OnReceiveData) OnReceiveData(this, m_scratch.data(), got);
        }
    } else {
        PacketPoll(std::max<int64_t>(queued, 0));
    }
    m_inTick = false;
}

void SerialPort::PacketPoll(int64_t queued) {
    const auto size = static_cast<uint32_t>(m_packetSize);
    const int64_t packetMs =
        m_baudRateValue > 0 ? static_cast<int64_t>(size) * 10 * 1000 / m_baudRateValue : 0;
    while (queued >= size) {
        const uint32_t got = ReadInto(size);
        if (got < size) {
            // A short read leaves the bytes lost to the packet framing; start over.
            m_packetStartTime = -1;
            return;
        }
        if (OnReceivePacket) OnReceivePacket(this, m_scratch.data(), got);
        if (m_packetStartTime != -1) m_packetStartTime += packetMs;
        queued -= size;
    }
    if (queued == 0) {
        m_packetStartTime = -1;
        return;
    }
    const int64_t now = m_now();
    if (m_packetTimeout >= 1 && m_packetStartTime != -1 &&
        now - m_packetStartTime > m_packetTimeout) {
        const uint32_t got = ReadInto(static_cast<uint32_t>(queued));
        if (got > 0 && m_packetMode == pmPass && OnReceivePacket) {
            OnReceivePacket(this, m_scratch.data(), got);
        }
        m_packetStartTime = -1;
    } else if (m_packetStartTime == -1) {
        m_packetStartTime = now;
    }
}

}  // namespace q7k3
