#pragma once
// The serial port component: owns one port, applies its line settings, writes blocks
// with an inactivity limit and polls for received bytes on the user-interface thread,
// handing every batch to OnReceiveData. It starts no thread and never blocks on reading.

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "link/AtChannel.h"
#include "link/SerialDevice.h"

class QSocketNotifier;

namespace q7k3 {

// The enumerations keep their names and order: they are the streamed form.
enum TPortNumber : uint8_t {
    pnCustom,
    pnCOM1,
    pnCOM2,
    pnCOM3,
    pnCOM4,
    pnCOM5,
    pnCOM6,
    pnCOM7,
    pnCOM8,
    pnCOM9,
    pnCOM10,
    pnCOM11,
    pnCOM12,
    pnCOM13,
    pnCOM14,
    pnCOM15,
    pnCOM16,
};
enum TBaudRate : uint8_t {
    brCustom,
    br110,
    br300,
    br600,
    br1200,
    br2400,
    br4800,
    br9600,
    br14400,
    br19200,
    br38400,
    br56000,
    br57600,
    br115200,
    br128000,
    br256000,
};
enum TDataBits : uint8_t { db5BITS, db6BITS, db7BITS, db8BITS };
enum TStopBits : uint8_t { sb1BITS, sb1HALFBITS, sb2BITS };
enum TParity : uint8_t { ptNONE, ptODD, ptEVEN, ptMARK, ptSPACE };
enum THwFlowControl : uint8_t { hfNONE, hfNONERTSON, hfRTSCTS };
enum TSwFlowControl : uint8_t { sfNONE, sfXONXOFF };
enum TPacketMode : uint8_t { pmDiscard, pmPass };

// TLineStatusSet: a set of these bits.
enum TLineStatus : unsigned {
    lsCTS = kLineCts,
    lsDSR = kLineDsr,
    lsRING = kLineRing,
    lsCD = kLineCd,
};
using TLineStatusSet = unsigned;

// The rate a TBaudRate stands for; brCustom is 0 (no rate).
uint32_t BaudRateOf(TBaudRate rate);
// The device path of standard port number n (1..16): the n-th built-in serial port.
std::string ComPortName(int number);
// The line set-up of a "rate,P,D,S" mode string ("115200,N,8,1"); false when malformed.
// DTR, RTS and flow control stay off.
bool LineFromModeString(std::string_view mode, LineSettings& settings);

class SerialPort : public QObject, public ChannelPort {
    Q_OBJECT

public:
    using TReceiveDataEvent =
        std::function<void(SerialPort* sender, const void* data, uint32_t size)>;
    using TReceivePacketEvent =
        std::function<void(SerialPort* sender, const void* packet, uint32_t size)>;

    // Without a device the system's serial device is used.
    explicit SerialPort(std::unique_ptr<SerialDevice> device = nullptr, QObject* parent = nullptr);
    ~SerialPort() override;

    // The system's instance Port with its streamed values (custom port, 128000 bit/s,
    // 5 ms polling, line-status check on).
    static std::unique_ptr<SerialPort> CreatePhonePort(
        std::unique_ptr<SerialDevice> device = nullptr);

    // Port and name can only change while closed.
    TPortNumber Port() const { return m_port; }
    void SetPort(TPortNumber port);
    const std::string& PortName() const { return m_portName; }
    void SetPortName(const std::string& name);

    // Line settings re-apply at once while connected.
    TBaudRate BaudRate() const { return m_baudRate; }
    void SetBaudRate(TBaudRate rate);
    uint32_t BaudRateValue() const { return m_baudRateValue; }
    void SetBaudRateValue(uint32_t value);
    TDataBits DataBits() const { return m_dataBits; }
    void SetDataBits(TDataBits bits);
    TStopBits StopBits() const { return m_stopBits; }
    void SetStopBits(TStopBits bits);
    TParity Parity() const { return m_parity; }
    void SetParity(TParity parity);
    THwFlowControl HwFlow() const { return m_hwFlow; }
    void SetHwFlow(THwFlowControl flow);
    TSwFlowControl SwFlow() const { return m_swFlow; }
    void SetSwFlow(TSwFlowControl flow);

    // Queue sizes: ignored while connected, clamped to 128..8192.
    uint32_t InBufSize() const { return m_inBufSize; }
    void SetInBufSize(uint32_t size);
    uint32_t OutBufSize() const { return m_outBufSize; }
    void SetOutBufSize(uint32_t size);

    // Packet mode: PacketSize -1 is stream mode; values below 1 store -1. A packet larger
    // than InBufSize is still read whole.
    int16_t PacketSize() const { return m_packetSize; }
    void SetPacketSize(int16_t size);
    int32_t PacketTimeout() const { return m_packetTimeout; }
    void SetPacketTimeout(int32_t ms);
    TPacketMode PacketMode() const { return m_packetMode; }
    void SetPacketMode(TPacketMode mode) { m_packetMode = mode; }

    // Poll period, at least 5 ms; a change restarts the running poll timer.
    uint16_t PollingDelay() const { return m_pollingDelay; }
    void SetPollingDelay(uint16_t ms);
    bool EnableDTROnOpen() const { return m_enableDtrOnOpen; }
    void SetEnableDTROnOpen(bool on) { m_enableDtrOnOpen = on; }
    uint16_t OutputTimeout() const { return m_outputTimeout; }
    void SetOutputTimeout(uint16_t ms) { m_outputTimeout = ms; }
    // Kept for the settings' sake; no operation reads it.
    uint32_t InputTimeout() const { return m_inputTimeout; }
    void SetInputTimeout(uint32_t ms) { m_inputTimeout = ms; }
    bool CheckLineStatus() const { return m_checkLineStatus; }
    void SetCheckLineStatus(bool on) { m_checkLineStatus = on; }
    // false: the line is built from the rate alone (rate,N,8,1, no flow, DTR and RTS
    // off); true: from the properties. Takes effect at the next apply.
    bool SettingsMode() const { return m_settingsMode; }
    void SetSettingsMode(bool manual) { m_settingsMode = manual; }

    TReceiveDataEvent OnReceiveData;
    TReceivePacketEvent OnReceivePacket;

    bool Connect();
    void Disconnect();
    bool Connected() const;

    // SendDataEx with OutputTimeout.
    uint32_t SendData(const void* data, uint32_t size) override;
    uint32_t LineRate() const override { return m_baudRateValue; }
    // Writes as the output queue has room; gives up after `limitMs` without progress,
    // or at once when CheckLineStatus is on and no modem line is raised.
    uint32_t SendDataEx(const void* data, uint32_t size, uint32_t limitMs);
    bool SendString(std::string_view text);
    bool FlushBuffers(bool input, bool output);
    // OutBufSize minus the bytes waiting to be sent; -1 when not connected.
    int16_t OutFreeSpace();
    TLineStatusSet GetLineStatus();
    bool ApplyCOMSettings();

    // One poll: delivers what is queued (stream mode) or whole packets (packet mode).
    // The poll timer and the read notifier call it; tests call it directly.
    void PollTick();

    // Poll as soon as the device has data, besides the timer (on by default).
    void SetReadNotifier(bool on);
    // Time source and the pause between write attempts (tests make both virtual).
    void SetClock(std::function<int64_t()> nowMs, std::function<void(int ms)> sleepMs);

    SerialDevice& Device() { return *m_device; }

private:
    void TimerTick();
    void NotifierActivated();
    void StartPolling();
    int PollPeriod() const;
    void StopPolling();
    void ReapplyIfConnected();
    void ReallocateScratch();
    uint32_t ReadInto(uint32_t count);
    void PacketPoll(int64_t queued);

    std::unique_ptr<SerialDevice> m_device;
    TPortNumber m_port = pnCOM2;
    std::string m_portName;
    TBaudRate m_baudRate = br9600;
    uint32_t m_baudRateValue = 9600;
    TDataBits m_dataBits = db8BITS;
    TStopBits m_stopBits = sb1BITS;
    TParity m_parity = ptNONE;
    THwFlowControl m_hwFlow = hfNONERTSON;
    TSwFlowControl m_swFlow = sfNONE;
    uint32_t m_inBufSize = 2048;
    uint32_t m_outBufSize = 2048;
    int16_t m_packetSize = -1;
    int32_t m_packetTimeout = -1;
    TPacketMode m_packetMode = pmDiscard;
    uint16_t m_pollingDelay = 50;
    bool m_enableDtrOnOpen = true;
    uint16_t m_outputTimeout = 500;
    uint32_t m_inputTimeout = 200;
    bool m_checkLineStatus = false;
    bool m_settingsMode = false;

    std::vector<unsigned char> m_scratch;  // ReceiveScratch
    int64_t m_packetStartTime = -1;
    bool m_inTick = false;
    bool m_useNotifier = true;
    QTimer m_pollTimer;
    QSocketNotifier* m_notifier = nullptr;
    std::function<int64_t()> m_now;
    std::function<void(int)> m_sleep;
};

}  // namespace q7k3
