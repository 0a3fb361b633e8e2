// The command line takes the demo phone's contacts and messages off it into files, whole or
// not at all, and never over a file that is there already.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/CliRun.h"
#include "support/EmulatorProcess.h"
#include "ui/Messages.h"

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
