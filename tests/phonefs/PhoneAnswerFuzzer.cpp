// libFuzzer target: whatever the phone answers to the listing, discovery, scan and read
// commands, the file system neither crashes nor reads out of bounds nor hangs.
//
// Input: one byte choosing the operation, then the phone's answers, separated by 0x01;
// each thing the PC sends is answered with the next one.

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

#include "ScriptedPhone.h"
#include "phonefs/FolderMaps.h"

using namespace q7k3;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    if (size < 1 || !dir.isValid()) return 0;
    const int op = data[0] % 6;
    std::vector<std::string> answers(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0x01)
            answers.emplace_back();
        else
            answers.back() += static_cast<char>(data[i]);
    }

    test::ScriptedPhone p;
    p.ch.PollStep = 50;  // short time-outs in steps
    size_t next = 0;
    p.react = [&](const std::string&) {
        if (next < answers.size()) p.Answer(answers[next++]);
    };
    auto root = MakeRoot("E700", "A");
    Tree4* folder = AddFolder("user", root.get(), "B");
    switch (op) {
        case 0:
            (void)p.fs.ListFolder(folder, true);
            break;
        case 1:
            p.flags.Mode = FolderMode::Pims;
            (void)p.fs.ListSubfolders(root.get());
            break;
        case 2:
            (void)p.fs.ReadPhoneFile(dir.filePath("out.bin").toStdString(), "x", QDateTime());
            break;
        case 3:
            p.flags.Mode = FolderMode::Pims;
            (void)p.fs.DiscoverFolders();
            break;
        case 4:
            (void)p.fs.ScanPhone(static_cast<FolderMode>(size % 3), (size & 4) != 0);
            break;
        default: {
            const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
            ParseListLine(line, QDateTime());
            break;
        }
    }
    p.fs.EstimateFreeSpace();
    TreeHasFiles(p.fs.PhoneRoot());
    return 0;
}
