// How fast melodies render, as a multiple of their playing time, and how long Play takes
// to hand the first block of sound to the output.
//
//   preview_bench [--runs N] [--soundfont PATH] [--desktop] [FILE.mmf ...]
//
// --desktop also plays each melody once through the desktop's sound device and reports
// when its end arrived against its length.
// Without files it measures the two sample melodies of the tests. Goals: at least 50 times
// real time; the first sound within 150 ms of Play.

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "preview/SmafEngine.h"
#include "preview/SmafScore.h"

using namespace q7k3;
using Clock = std::chrono::steady_clock;

namespace {

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
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
    if (files.empty())
        files = {Q7K3_SOURCE_DIR "/tests/data/media/dlunch_midi.mmf",
                 Q7K3_SOURCE_DIR "/tests/data/media/dlunch_wave.mmf"};

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
    for (const std::string& path : files) {
        Bytes file;
        if (!ReadFile(path, file)) {
            std::fprintf(stderr, "preview_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        double best = 1e30, total = 0;
        double seconds = 0;
        for (int r = 0; r < runs; ++r) {
            const auto t0 = Clock::now();
            smaf::Melody m;
            if (!smaf::ReadMelody(file, m)) {
                std::fprintf(stderr, "preview_bench: %s is no melody we play\n", path.c_str());
                return 1;
            }
            const std::vector<int16_t> pcm = smaf::RenderAll(*host, std::move(m));
            const double ms = Ms(Clock::now() - t0);
            best = std::min(best, ms);
            total += ms;
            seconds = double(pcm.size() / 2) / smaf::kRenderRate;
        }
        const double speed = seconds * 1000 / (total / runs);

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
        std::printf(
            "%s: %.2f s of sound rendered in %.1f ms (best %.1f): %.0f x real time; "
            "first sound %.2f ms after Play (worst %.2f)\n",
            path.c_str(), seconds, total / runs, best, speed, sumFirst / runs, worstFirst);
        goalsMet = goalsMet && speed >= 50 && worstFirst <= 150;
    }
    SmafDone();

    if (desktop) {
        SmafSetOutputFactory(nullptr);
        if (!SmafInit(sf)) {
            std::fprintf(stderr, "preview_bench: no desktop sound device\n");
            return 1;
        }
        for (const std::string& path : files) {
            bool ended = false;
            const auto t0 = Clock::now();
            if (!SmafPlay(path, [&] { ended = true; })) {
                std::fprintf(stderr, "preview_bench: %s does not play\n", path.c_str());
                return 1;
            }
            while (!ended && Ms(Clock::now() - t0) < 600000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            std::printf("%s: played on the desktop device, end reported after %.2f s\n",
                        path.c_str(), Ms(Clock::now() - t0) / 1000);
        }
        SmafDone();
    }
    std::printf("goals (50 x real time, first sound within 150 ms): %s\n",
                goalsMet ? "met" : "NOT met");
    return goalsMet ? 0 : 2;
}
