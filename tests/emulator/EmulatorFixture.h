#pragma once
// The emulator on its thread plus a raw client on its terminal, and the PC's side of a
// read and a write reduced to bytes.

#include <gtest/gtest.h>
#include <zlib.h>

#include <memory>
#include <string>

#include "PtyClient.h"
#include "emulator/PhoneEmulator.h"

namespace q7k3::test {

using q7k3::EmulatorConfig;
using q7k3::PhoneEmulator;

inline std::string Crc(const std::string& bytes) {
    return std::to_string(
        crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
}

inline std::string WriteHeader(const std::string& name, const std::string& bytes,
                               const std::string& stamp = "2006:05:04 12:34:56") {
    return "AT+FSFW=-1,\"" + name + "\"," + std::to_string(bytes.size() % 512) + ",\"" + stamp +
           "\"," + std::to_string(bytes.size()) + "," + Crc(bytes);
}

// Bytes no text protocol likes: line ends, NUL, the batch end and a quote.
inline std::string Awkward(size_t size) {
    const std::string pattern = std::string("ab\r\ncd\0\"#OK\n\r\xff", 14);
    std::string out;
    while (out.size() < size) out += pattern;
    out.resize(size);
    return out;
}

struct Emulator : ::testing::Test {
    EmulatorConfig config;
    std::unique_ptr<PhoneEmulator> phone;
    std::unique_ptr<PtyClient> pc;

    void Start() {
        phone = std::make_unique<PhoneEmulator>(config);
        ASSERT_TRUE(phone->Start()) << phone->Error();
        pc = std::make_unique<PtyClient>(phone->SlavePath());
        ASSERT_TRUE(pc->IsOpen());
    }

    // A listing command with the prompts the PC sends after each batch: every byte of the
    // answer up to the final OK, and the number of batches.
    std::string Listing(const std::string& command, int* batches = nullptr) {
        pc->Send(command + "\r\n");
        std::string all;
        int n = 0;
        for (;;) {
            const std::string part = pc->ReadUntil("\r\n");
            all += part;
            if (part.empty() || part == "OK\r\n") break;
            if (part == "#OK#\r\n") {
                ++n;
                EXPECT_EQ(pc->ReadFor(50), "") << "no more lines before the prompt";
                pc->Send("##>\r\n");
            }
        }
        if (batches) *batches = n;
        return all;
    }

    // Reads a whole file with the prompts the PC sends; returns the data and the closing CRC.
    std::string ReadFile(const std::string& name, std::string* crc = nullptr,
                         int* blocks = nullptr) {
        pc->Send("AT+FSFR=-1,\"" + name + "\"\r\n");
        std::string data;
        pc->ReadUntil("\r\n+FSFR: ");
        for (int n = 0;; ++n) {
            const std::string head = pc->ReadUntil(",");
            if (head == "0,") {
                std::string closing = pc->ReadUntil("#OK#\r\n");
                closing = closing.substr(closing.find(',') + 1);
                if (crc) *crc = closing.substr(0, closing.size() - 6);
                pc->Send("##>\r\n");
                EXPECT_EQ(pc->ReadUntil("OK\r\n"), "\r\nOK\r\n");
                if (blocks) *blocks = n;
                return data;
            }
            EXPECT_EQ(head, std::to_string(n + 1) + ",");
            const size_t len = std::stoul(pc->ReadUntil(","));
            std::string block = pc->ReadUntil("#OK#\r\n");
            // The data may itself hold "#OK#": the length says where it ends.
            while (block.size() < len + 6) block += pc->ReadUntil("#OK#\r\n");
            EXPECT_EQ(block.size(), len + 6);
            data += block.substr(0, len);
            EXPECT_EQ(pc->ReadFor(50), "") << "the next block must wait for the prompt";
            pc->Send("##>\r\n");
            pc->ReadUntil("\r\n+FSFR: ");
        }
    }

    // Writes a file, answering each prompt with the next 512 bytes; returns the final line.
    std::string WriteFile(const std::string& name, const std::string& bytes, int* prompts) {
        pc->Send(WriteHeader(name, bytes) + "\r\n");
        pc->ReadUntil("\r\r\n");  // the echo
        *prompts = 0;
        size_t sent = 0;
        for (;;) {
            std::string line = pc->ReadUntil("\r\n");
            if (line == "\r\n") line = pc->ReadUntil("\r\n");
            if (line != "##>\r\n") return line;
            ++*prompts;
            const size_t len = std::min<size_t>(512, bytes.size() - sent);
            pc->Send(bytes.substr(sent, len));
            sent += len;
        }
    }
};

}  // namespace q7k3::test
