// How fast melodies render, as a multiple of their playing time; how long Play takes to
// hand the first block of sound to the output; how long the calling thread is ever held
// while a crowded melody plays; and how much memory mmf2wav needs for half an hour.
//
//   preview_bench [--runs N] [--soundfont PATH] [--desktop] [FILE.mmf ...]
//
// --desktop also plays each melody once through the desktop's sound device and reports
// when its end arrived against its length.
// Without files it measures the two sample melodies of the tests and the ringtones with
// stream waves of the shared samples, when they are there. Goals: all of them rendered at
// least 50 times faster than they play, on the processor (the wall clock, shown beside,
// also counts whatever else the machine runs); the first sound within 20 ms of Play; the caller
// never held longer than a frame (16 ms), even by 200 000 notes at one moment; mmf2wav on a
// 30-minute melody within 8 MB of what it needs for one second.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "preview/SmafEngine.h"
#include "media/smaf/SmafScore.h"

extern char** environ;

using namespace q7k3;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// The processor time of this thread: rendering speed that does not depend on what else
// the machine runs (the wall clock is reported beside it).
double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

bool ReadFile(const std::string& path, Bytes& out) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return true;
}

bool WriteFile(const std::string& path, const Bytes& data) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

void Be32(Bytes& out, size_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// A SMAF file of one score track: its header (format, timebases, channel status) and its
// sequence, closed by the CRC.
Bytes SmafOf(Bytes trackHeader, const Bytes& sequence) {
    Bytes track = std::move(trackHeader);
    track.insert(track.end(), {'M', 't', 's', 'q'});
    Be32(track, sequence.size());
    track.insert(track.end(), sequence.begin(), sequence.end());
    Bytes body = {'C', 'N', 'T', 'I', 0, 0, 0, 5, 0x00, 0x32, 0x01, 0x00, 0x00, 'M', 'T', 'R', 1};
    Be32(body, track.size());
    body.insert(body.end(), track.begin(), track.end());
    Bytes file = {'M', 'M', 'M', 'D'};
    Be32(file, body.size() + 2);
    file.insert(file.end(), body.begin(), body.end());
    uint16_t crc = 0xFFFF;
    for (const uint8_t b : file) {
        crc ^= static_cast<uint16_t>(b << 8);
        for (int i = 0; i < 8; ++i)
            crc = static_cast<uint16_t>(crc & 0x8000 ? (crc << 1) ^ 0x1021 : crc << 1);
    }
    crc ^= 0xFFFF;
    file.push_back(static_cast<uint8_t>(crc >> 8));
    file.push_back(static_cast<uint8_t>(crc));
    return file;
}

// 200 000 notes at one moment, all sixteen channels, each held for a second.
Bytes CrowdFile() {
    Bytes seq;
    for (int i = 0; i < 200000; ++i) {
        seq.push_back(0);  // at once
        seq.push_back(static_cast<uint8_t>(0x80 | (i % 16)));
        seq.push_back(static_cast<uint8_t>(36 + i % 60));
        seq.insert(seq.end(), {0x81, 0x7A});  // gate 250 ticks of 4 ms
    }
    seq.insert(seq.end(), {0x00, 0xFF, 0x2F, 0x00});
    Bytes header = {0x02, 0x00, 0x02, 0x02};
    header.resize(4 + 16, 0);
    return SmafOf(header, seq);
}

// Handyphone rests, 50 ms ticks: one second of a note, then `restTicks` of silence.
Bytes RestFile(uint32_t restTicks) {
    Bytes seq = {0x00, 0x24, 0x14};  // a note at once, gate 20 ticks
    while (restTicks > 0) {
        const uint32_t t = std::min<uint32_t>(restTicks, 16000);
        if (t < 128) {
            seq.push_back(static_cast<uint8_t>(t));
        } else {
            seq.push_back(static_cast<uint8_t>(0x80 | (t / 128 - 1)));
            seq.push_back(static_cast<uint8_t>(t % 128));
        }
        seq.insert(seq.end(), {0xFF, 0x00});  // nothing, after the rest
        restTicks -= t;
    }
    seq.insert(seq.end(), {0, 0, 0, 0});
    return SmafOf({0x00, 0x00, 0x13, 0x13, 0x00, 0x00}, seq);
}

// Runs the command-line program and returns its peak memory in KB, 0 on failure. The
// peak is read from the program's own status every 2 ms while it runs (its resource usage
// would count the memory of this process, which it shares until it starts).
long PeakKbOf(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    const std::string name = std::filesystem::path(args[0]).filename().string();
    const std::string statusPath = "/proc/" + std::to_string(pid) + "/status";
    long peak = 0;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? peak : 0;
        std::ifstream in(statusPath);
        std::string line;
        bool started = false;
        while (std::getline(in, line)) {
            if (line.starts_with("Name:"))
                started = line.find(name.substr(0, 15)) != std::string::npos;
            if (started && line.starts_with("VmHWM:"))
                peak = std::max(peak, std::stol(line.substr(6)));
        }
        usleep(2000);
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 10;
    std::string soundFont;
    std::vector<std::string> files;
    bool desktop = false;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (!std::strcmp(argv[i], "--soundfont") && i + 1 < argc) {
            soundFont = argv[++i];
        } else if (!std::strcmp(argv[i], "--desktop")) {
            desktop = true;
        } else if (!std::strcmp(argv[i], "--help")) {
            std::printf(
                "usage: preview_bench [--runs N] [--soundfont PATH] [--desktop] "
                "[FILE.mmf ...]\n");
            return 0;
        } else {
            files.push_back(argv[i]);
        }
    }
    if (files.empty()) {
        files = {Q7K3_SOURCE_DIR "/tests/data/media/dlunch_midi.mmf",
                 Q7K3_SOURCE_DIR "/tests/data/media/dlunch_wave.mmf"};
        std::error_code ec;
        std::vector<std::string> waves;
        for (const auto& e :
             std::filesystem::directory_iterator(Q7K3_SOURCE_DIR "/../shared/samples/mmf-wave", ec))
            if (e.path().extension() == ".mmf") waves.push_back(e.path().string());
        std::sort(waves.begin(), waves.end());
        files.insert(files.end(), waves.begin(), waves.end());
    }

    const std::string sf = smaf::FindSoundFont(soundFont);
    std::string error;
    const auto loadStart = Clock::now();
    auto host = smaf::SynthHost::Create(sf, error);
    if (!host) {
        std::fprintf(stderr, "preview_bench: %s\n", error.c_str());
        return 1;
    }
    std::printf("soundfont %s loaded in %.1f ms (once, at start-up)\n", sf.c_str(),
                Ms(Clock::now() - loadStart));

    auto log = std::make_shared<smaf::CaptureLog>();
    SmafSetOutputFactory([&] {
        *log = smaf::CaptureLog{};
        return smaf::MakeCaptureSoundOutput(log, false);
    });
    if (!SmafInit(sf)) {
        std::fprintf(stderr, "preview_bench: the engine is unavailable\n");
        return 1;
    }

    bool goalsMet = true;
    double totalSeconds = 0, totalMs = 0, totalCpuMs = 0, worstFirstAll = 0;
    for (const std::string& path : files) {
        Bytes file;
        if (!ReadFile(path, file)) {
            std::fprintf(stderr, "preview_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        double best = 1e30, total = 0, cpu = 0;
        double seconds = 0;
        for (int r = 0; r < runs; ++r) {
            const auto t0 = Clock::now();
            const double cpu0 = ThreadCpuMs();
            smaf::Melody m;
            if (!smaf::ReadMelody(file, m)) {
                std::fprintf(stderr, "preview_bench: %s is no melody we play\n", path.c_str());
                return 1;
            }
            const std::vector<int16_t> pcm = smaf::RenderAll(*host, std::move(m));
            const double ms = Ms(Clock::now() - t0);
            cpu += ThreadCpuMs() - cpu0;
            best = std::min(best, ms);
            total += ms;
            seconds = double(pcm.size() / 2) / smaf::kRenderRate;
        }
        const double speed = seconds * 1000 / (total / runs);
        const double cpuSpeed = seconds * 1000 / (cpu / runs);
        totalSeconds += seconds * runs;
        totalMs += total;
        totalCpuMs += cpu;

        // From Play to the first block handed to the output, the melody stopped each time.
        double worstFirst = 0, sumFirst = 0;
        for (int r = 0; r < runs; ++r) {
            const auto t0 = Clock::now();
            if (!SmafPlay(path, nullptr)) return 1;
            while (!log->GotSound) QCoreApplication::processEvents();
            const double first = Ms(log->FirstSound - t0);
            worstFirst = std::max(worstFirst, first);
            sumFirst += first;
            SmafStop();
        }
        worstFirstAll = std::max(worstFirstAll, worstFirst);
        std::printf(
            "%s: %.2f s of sound rendered in %.1f ms (best %.1f, %.1f ms of processor): %.0f x "
            "real time (%.0f x on the processor); first sound %.2f ms after Play (worst %.2f)\n",
            std::filesystem::path(path).filename().c_str(), seconds, total / runs, best, cpu / runs,
            speed, cpuSpeed, sumFirst / runs, worstFirst);
        // Each melody on its own: a fast short one must not hide a slow long one.
        goalsMet = goalsMet && worstFirst <= 20 && cpuSpeed >= 50;
    }
    const double allSpeed = totalSeconds * 1000 / totalCpuMs;
    std::printf(
        "all: %.0f x real time (%.0f x on the processor); worst first sound %.2f ms after Play\n",
        totalSeconds * 1000 / totalMs, allSpeed, worstFirstAll);
    goalsMet = goalsMet && allSpeed >= 50;

    // The calling thread while 200 000 notes start at one moment: how long Play took, the
    // longest turn of the event loop while the melody played, and how long Stop took in
    // the middle of it.
    QTemporaryDir scratch;
    const std::string crowd = scratch.filePath("crowd.mmf").toStdString();
    if (!WriteFile(crowd, CrowdFile())) return 1;
    double worstPlay = 0, worstTurn = 0, worstTurnCpu = 0, worstStop = 0;
    for (int r = 0; r < std::min(runs, 3); ++r) {
        auto t0 = Clock::now();
        bool ended = false;
        if (!SmafPlay(crowd, [&] { ended = true; })) return 1;
        worstPlay = std::max(worstPlay, Ms(Clock::now() - t0));
        const auto started = Clock::now();
        while (!ended && (r == 0 || Ms(Clock::now() - started) < 200)) {
            const auto turn = Clock::now();
            const double turnCpu = ThreadCpuMs();
            QCoreApplication::processEvents();
            worstTurn = std::max(worstTurn, Ms(Clock::now() - turn));
            worstTurnCpu = std::max(worstTurnCpu, ThreadCpuMs() - turnCpu);
        }
        t0 = Clock::now();
        SmafStop();
        worstStop = std::max(worstStop, Ms(Clock::now() - t0));
    }
    // A turn's processor time is what the player made the thread do; the wall clock also
    // counts the time the machine gave to others.
    std::printf(
        "200000 notes at one moment: Play held the caller %.2f ms, the longest turn of the "
        "event loop while it played %.2f ms (at most %.2f ms of processor), Stop %.2f ms\n",
        worstPlay, worstTurn, worstTurnCpu, worstStop);
    goalsMet = goalsMet && worstPlay <= 16 && worstTurnCpu <= 16 && worstStop <= 16;
    SmafDone();

    // mmf2wav on half an hour against one second.
    const std::string cli = Q7K3_BIN_DIR "/q7k3fm-cli";
    const std::string longFile = scratch.filePath("long.mmf").toStdString();
    const std::string shortFile = scratch.filePath("short.mmf").toStdString();
    if (!WriteFile(longFile, RestFile(36000)) || !WriteFile(shortFile, RestFile(0))) return 1;
    const std::string wav = scratch.filePath("out.wav").toStdString();
    const long shortKb = PeakKbOf({cli, "convert", "mmf2wav", shortFile, wav, "--force", "-q"});
    auto t0 = Clock::now();
    const long longKb = PeakKbOf({cli, "convert", "mmf2wav", longFile, wav, "--force", "-q"});
    const double longSeconds = Ms(Clock::now() - t0) / 1000;
    std::error_code ec;
    const auto wavBytes = std::filesystem::file_size(wav, ec);
    if (shortKb == 0 || longKb == 0) {
        std::fprintf(stderr, "preview_bench: %s failed\n", cli.c_str());
        return 1;
    }
    std::printf(
        "mmf2wav: 30 minutes (%.0f MB of WAV) in %.1f s with a peak of %.1f MB; one second "
        "with %.1f MB\n",
        double(wavBytes) / 1e6, longSeconds, longKb / 1024.0, shortKb / 1024.0);
    goalsMet = goalsMet && longKb <= shortKb + 8 * 1024;

    if (desktop) {
        SmafSetOutputFactory(nullptr);
        if (!SmafInit(sf)) {
            std::fprintf(stderr, "preview_bench: no desktop sound device\n");
            return 1;
        }
        for (const std::string& path : files) {
            bool ended = false;
            const auto start = Clock::now();
            if (!SmafPlay(path, [&] { ended = true; })) {
                std::fprintf(stderr, "preview_bench: %s does not play\n", path.c_str());
                return 1;
            }
            while (!ended && Ms(Clock::now() - start) < 600000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            std::printf("%s: played on the desktop device, end reported after %.2f s\n",
                        path.c_str(), Ms(Clock::now() - start) / 1000);
        }
        SmafDone();
    }
    std::printf(
        "goals (50 x real time, first sound within 20 ms, the caller held at most 16 ms, "
        "mmf2wav within 8 MB of a second's): %s\n",
        goalsMet ? "met" : "NOT met");
    return goalsMet ? 0 : 2;
}
