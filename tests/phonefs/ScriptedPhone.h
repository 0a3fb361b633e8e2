#pragma once
// A phone scripted by the test on the virtual clock: the test says what to answer to each
// command, the answers arrive on the next poll ticks, and everything sent is recorded.

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "base/AppFlags.h"
#include "base/Prompts.h"
#include "phonefs/PhoneFs.h"
#include "support/ScriptedUi.h"
#include "support/VirtualClock.h"

namespace q7k3::test {

// The progress dialog and the boxes: the one set of scripted fakes, where an unscripted
// question fails the test.

struct ScriptedPhone {
    VirtualClock clock;
    RecordingPort port;
    AtChannel ch{port, clock};
    AppFlags flags;
    ScriptedUi ui;
    ScriptedUi& progress = ui;
    ScriptedUi& prompts = ui;
    PhoneFs fs{ch, flags, progress, prompts};

    // Chunks waiting to arrive, one per poll tick.
    std::deque<std::string> pending;
    // Answers to whatever the PC sends; the default answers nothing.
    std::function<void(const std::string& sent)> react;

    ScriptedPhone() {
        ch.PollStep = 10;
        ch.PhoneModel = "SGH-E700";
        clock.onTick = [this](int64_t) {
            if (pending.empty()) return;
            const std::string chunk = pending.front();
            pending.pop_front();
            ch.ReceiveData(chunk.data(), chunk.size());
        };
        port.onSend = [this](const std::string& sent) {
            if (react) react(sent);
        };
    }
    void Answer(const std::string& chunk) { pending.push_back(chunk); }
    // The commands sent, without the raw data and prompts.
    std::vector<std::string> Commands() const {
        std::vector<std::string> out;
        for (const auto& w : port.writes) {
            if (w.starts_with("AT")) out.push_back(w);
        }
        return out;
    }
    int Count(const std::string& exact) const {
        int n = 0;
        for (const auto& w : port.writes) n += w == exact;
        return n;
    }
};

// A phone that knows folders by Id and answers AT+FSCD, AT+FSDL (in batches of `batch`
// lines), AT+FSDI and AT+FSIF like the real one, echo included.
struct FolderPhone {
    ScriptedPhone& p;
    std::map<std::string, std::vector<std::string>> listings;    // Id -> +FSDL lines
    std::map<std::string, std::vector<std::string>> subfolders;  // Id -> +FSDI lines
    size_t batch = 10;
    std::vector<std::string> queue;  // what is left of the current listing
    bool listing = false;

    explicit FolderPhone(ScriptedPhone& phone) : p(phone) {
        p.react = [this](const std::string& sent) { React(sent); };
    }

    static std::string IdOf(const std::string& cmd) {
        const size_t a = cmd.find('"');
        const size_t b = cmd.find('"', a + 1);
        return cmd.substr(a + 1, b - a - 1);
    }
    void SendBatch() {
        std::string chunk;
        size_t n = 0;
        while (!queue.empty() && n < batch) {
            chunk += "\r\n" + queue.front() + "\r\n";
            queue.erase(queue.begin());
            ++n;
        }
        if (n == 0) {
            listing = false;
            p.Answer("\r\nOK\r\n");
            return;
        }
        p.Answer(chunk + "#OK#\r\n");
    }
    void Start(const std::vector<std::string>& lines) {
        queue = lines;
        listing = true;
        SendBatch();
    }
    void React(const std::string& sent) {
        if (sent == "##>\r\n") {
            if (listing) SendBatch();
            return;
        }
        p.Answer(sent.substr(0, sent.size() - 1));  // the echo keeps its CR only
        if (sent.starts_with("AT+FSCD=")) {
            const bool known = listings.count(IdOf(sent)) || subfolders.count(IdOf(sent));
            p.Answer(known ? "\r\nOK\r\n" : "\r\n+CME ERROR: 2000\r\n");
        } else if (sent.starts_with("AT+FSDL=")) {
            Start(listings[IdOf(sent)]);
        } else if (sent.starts_with("AT+FSDI=")) {
            Start(subfolders[IdOf(sent)]);
        } else if (sent.starts_with("AT+CGMM")) {
            p.Answer("\r\n" + p.ch.PhoneModel + "\r\n\r\nOK\r\n");
        } else if (sent.starts_with("AT+FSIF")) {
            p.Answer("\r\n+FSIF: 13418496,anything\r\n\r\nOK\r\n");
        }
    }
};

inline std::string Fsdl(const std::string& name, int size,
                        const std::string& stamp = "2024/05/06 07:08:09") {
    return "+FSDL: \"" + name + "\",0,0,0,0," + std::to_string(size) + ",\"" + stamp + "\"";
}

}  // namespace q7k3::test
