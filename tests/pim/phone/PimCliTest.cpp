// The command line takes the demo phone's contacts and messages off it into files, whole or
// not at all, and never over a file that is there already; it puts a .vcf's cards into
// free slots and says what it left out.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <thread>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/CliRun.h"
#include "support/EmulatorProcess.h"
#include "base/Messages.h"

namespace fs = std::filesystem;
using q7k3::test::CliResult;
using q7k3::test::EmulatorProcess;
using q7k3::test::RunCli;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

}  // namespace

TEST(PimCli, ExportsTheDemoPhonesContactsAndMessages) {
    EmulatorProcess phone({"--preset", "demo"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const fs::path dir = fs::path(::testing::TempDir()) / "pim-cli-export";
    fs::remove_all(dir);
    fs::create_directories(dir);

    const CliResult listed = RunCli({"--port", phone.TtyPath(), "contacts", "ls", "--porcelain"});
    ASSERT_EQ(listed.code, 0) << listed.err;
    const size_t contacts = Count(listed.out, "\n");
    ASSERT_GT(contacts, 0u);

    const CliResult c =
        RunCli({"--port", phone.TtyPath(), "contacts", "export", (dir / "c.vcf").string()});
    ASSERT_EQ(c.code, 0) << c.err;
    const std::string vcf = ReadAll(dir / "c.vcf");
    EXPECT_EQ(Count(vcf, "BEGIN:VCARD\r\n"), contacts);
    EXPECT_EQ(Count(vcf, "END:VCARD\r\n"), contacts);

    const CliResult m =
        RunCli({"--port", phone.TtyPath(), "messages", "export", (dir / "m.xml").string()});
    ASSERT_EQ(m.code, 0) << m.err;
    const std::string xml = ReadAll(dir / "m.xml");
    EXPECT_NE(xml.find("<smses count=\""), std::string::npos);
    EXPECT_GT(Count(xml, "<sms "), 0u);
    EXPECT_FALSE(ReadAll(dir / "m.pdu").empty());
    EXPECT_FALSE(fs::is_empty(dir / "m-texts"));

    // A file of that name is refused before the phone is read, and stays as it was.
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"contacts", "export", (dir / "c.vcf").string()},
             {"messages", "export", (dir / "m.xml").string()}}) {
        std::vector<std::string> full{"--port", phone.TtyPath()};
        full.insert(full.end(), args.begin(), args.end());
        const std::string before = ReadAll(dir / args[2]);
        const CliResult again = RunCli(full);
        EXPECT_EQ(again.code, 6) << args[0];
        EXPECT_NE(again.err.find(q7k3::Msg(q7k3::kMsgCliLocalExists)), std::string::npos)
            << again.err;
        EXPECT_EQ(ReadAll(dir / args[2]), before) << args[0];
    }
    fs::remove_all(dir);
}

namespace {

// Cards as old phones and address books wrote them: 2.1 with quoted-printable in
// windows-1251 and in UTF-8 (a soft line break inside), two numbers on one card, a folded
// 3.0 line holding a name too long for either store.
const std::string kCards =
    "BEGIN:VCARD\r\nVERSION:2.1\r\n"
    "N;CHARSET=WINDOWS-1251;ENCODING=QUOTED-PRINTABLE:=CF=E5=F2=F0=EE=E2;=C8=E2=E0=ED\r\n"
    "TEL;CELL:+7 916 555-01-01\r\nTEL;HOME:8 (495) 555-01-02\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\n"
    "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=D0=9E=D0=BB=D1=8C=D0=B3=D0=B0 =D0=9A=\r\n"
    "=D0=B8=D0=BC\r\nTEL:+79165550103\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Мама\r\nTEL:+79161234567\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Константин Конста\r\n нтинопольский\r\n"
    "TEL:+79165550104\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Лев\r\nTEL:+79165550105\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Яна\r\nTEL:+79165550106\r\nEND:VCARD\r\n";

fs::path Fresh(const char* name) {
    const fs::path dir = fs::path(::testing::TempDir()) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

void Write(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

}  // namespace

TEST(PimCli, ImportFillsFreeSlotsOnlyAndSaysWhatItLeftOut) {
    // The SIM of twelve slots has four free: 6, 9, 10, 11.
    EmulatorProcess phone({"--preset", "demo", "--sim-slots", "12"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const fs::path dir = Fresh("pim-cli-import");
    const std::string vcf = (dir / "cards.vcf").string();
    Write(vcf, kCards);
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--port", phone.TtyPath(), "contacts"});
        return RunCli(args);
    };

    // Into the SIM: one there already, one name too long, one that finds the store full.
    const CliResult sim = run({"import", vcf, "--store", "SM", "--json"});
    EXPECT_EQ(sim.code, 1) << sim.err;
    const struct {
        const char* result;
        size_t count;
    } results[] = {{"written", 4}, {"skipped", 1}, {"refused", 1}, {"full", 1}};
    for (const auto& r : results)
        EXPECT_EQ(Count(sim.out, std::string("\"result\":\"") + r.result + "\""), r.count)
            << r.result << "\n" << sim.out;
    EXPECT_NE(sim.out.find(q7k3::Msg(q7k3::kMsgContactNameTooLong) + "14: Константин"), std::string::npos);
    EXPECT_NE(sim.err.find("--cut-names"), std::string::npos) << sim.err;
    const CliResult listed = run({"ls", "--store", "SM", "--porcelain"});
    for (const char* line : {"SM\t6\t+79165550101\tИван Петров\n", "SM\t9\t84955550102\tИван Петров\n",
                             "SM\t10\t+79165550103\tОльга Ким\n", "SM\t11\t+79165550105\tЛев\n",
                             "SM\t1\t+79161234567\tМама\n"})
        EXPECT_NE(listed.out.find(line), std::string::npos) << line << listed.out;
    EXPECT_EQ(Count(listed.out, "\n"), 12u);

    // Into the phone's own store with names cut; a second time adds nothing.
    const size_t before = Count(run({"ls", "--store", "ME", "--porcelain"}).out, "\n");
    const CliResult me = run({"import", vcf, "--cut-names"});
    EXPECT_EQ(me.code, 0) << me.err;
    EXPECT_NE(me.out.find(q7k3::Msg(q7k3::kMsgImportIntoStore) + "ME. " +
                          q7k3::Msg(q7k3::kMsgImportWrittenCount) + "7"),
              std::string::npos)
        << me.out;
    const CliResult again = run({"import", vcf, "--cut-names", "-v"});
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find(q7k3::Msg(q7k3::kMsgImportWrittenCount) + "0" +
                             q7k3::Msg(q7k3::kMsgImportAlreadyCount) + "7"),
              std::string::npos)
        << again.out;
    EXPECT_EQ(Count(again.out, q7k3::Msg(q7k3::kMsgImportAlready)), 7u);
    EXPECT_EQ(Count(again.out, q7k3::Msg(q7k3::kMsgImportResultAlready) + "  "), 7u) << again.out;
    const CliResult phoneBook = run({"ls", "--store", "ME", "--porcelain"});
    EXPECT_EQ(Count(phoneBook.out, "\n"), before + 7);
    EXPECT_NE(phoneBook.out.find("\tКонстантин Константи\n"), std::string::npos) << phoneBook.out;

    // Files that give nothing to import.
    Write(dir / "none.vcf", "no cards here\n");
    EXPECT_EQ(run({"import", (dir / "none.vcf").string()}).code, 7);
    EXPECT_EQ(run({"import", (dir / "missing.vcf").string()}).code, 6);

    // The messages' export names the senders the phonebook knows.
    const CliResult m = RunCli({"--port", phone.TtyPath(), "messages", "export", (dir / "m.xml").string()});
    ASSERT_EQ(m.code, 0) << m.err;
    EXPECT_NE(ReadAll(dir / "m.xml").find("address=\"+79161234567\" "), std::string::npos);
    EXPECT_NE(ReadAll(dir / "m.xml").find("contact_name=\"Мама\""), std::string::npos);
    fs::remove_all(dir);
}

TEST(PimCli, MessagesOfAPhoneWithoutPduModeComeOffInTextMode) {
    // Its phonebook will not be read either: that costs the senders' names only.
    EmulatorProcess phone({"--preset", "demo", "--pdu-refused", "--fail-command", "AT+CPBR=1:5"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const fs::path dir = Fresh("pim-cli-text-mode");
    const CliResult m = RunCli({"--port", phone.TtyPath(), "messages", "export", (dir / "m.xml").string()});
    ASSERT_EQ(m.code, 0) << m.err;
    const std::string xml = ReadAll(dir / "m.xml");
    EXPECT_NE(xml.find("body=\"Привет! Встречаемся в 7 у метро.\""), std::string::npos) << xml;
    EXPECT_NE(xml.find("readable_date=\"2006-05-03 09:15:00\""), std::string::npos) << xml;
    // No PDU of the phone's: the raw file says so and holds none.
    const std::string raw = ReadAll(dir / "m.pdu");
    EXPECT_NE(raw.find("# 10 messages came in text mode"), std::string::npos) << raw;
    EXPECT_EQ(Count(raw, "\n"), 2u);
    fs::remove_all(dir);
}

// Ctrl+C in the middle of an import: the entry under way is finished, the rest is not
// begun, and what the end says was written is what the phone holds.
TEST(PimCli, CtrlCStopsAnImportBetweenEntries) {
    EmulatorProcess phone({"--preset", "demo", "--latency", "60"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    const fs::path dir = Fresh("pim-cli-import-stop");
    std::string cards;
    for (int i = 0; i < 30; ++i)
        cards += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Guest " + std::to_string(i) +
                 "\r\nTEL:+7916777" + std::to_string(1000 + i) + "\r\nEND:VCARD\r\n";
    Write(dir / "many.vcf", cards);
    const std::string trace = (dir / "trace.txt").string();
    std::vector<std::string> args{std::string(Q7K3_BIN_DIR) + "/q7k3fm-cli", "--port", phone.TtyPath(),
                                  "--trace", trace, "contacts", "import", (dir / "many.vcf").string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string out = (dir / "out.txt").string();
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    ASSERT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Once entries go to the phone (the trace holds each command and its echo).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Count(ReadAll(trace), "AT+CPBW=") < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string said = ReadAll(out);
    const std::string written = q7k3::Msg(q7k3::kMsgImportWrittenCount);
    const size_t at = said.find(written);
    ASSERT_NE(at, std::string::npos) << said;
    const int n = std::atoi(said.c_str() + at + written.size());
    EXPECT_GE(n, 2);
    EXPECT_LT(n, 30);
    EXPECT_NE(said.find(q7k3::Msg(q7k3::kMsgImportStopped) + ": " + std::to_string(30 - n)),
              std::string::npos) << said;
    const CliResult listed = RunCli({"--port", phone.TtyPath(), "contacts", "ls", "--store", "ME"});
    EXPECT_EQ(Count(listed.out, "Guest "), static_cast<size_t>(n));
    fs::remove_all(dir);
}
