// The phone search against emulated phones on pseudo-terminals, all at once: a phone, a
// refused model, two kinds of modem, silent ports, a port another process holds and one that
// is not there; the stable name under a made-up /dev/serial/by-id; a device appearing in a
// watched made-up /dev; and the command line's detect and --port auto.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <filesystem>
#include <memory>

#include "ports/PhoneSearch.h"
#include "ports/PhoneWatch.h"
#include "settings/Fakes.h"
#include "support/EmulatorProcess.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

namespace fs = std::filesystem;
using test::EmulatorProcess;

std::unique_ptr<EmulatorProcess> Phone(const std::vector<std::string>& args) {
    auto phone = std::make_unique<EmulatorProcess>(args);
    EXPECT_TRUE(phone->Started()) << phone->Error();
    return phone;
}

struct Expected {
    const char* what;
    std::string path;
    PortAnswer answer;
    std::string model;
};

TEST(PhoneSearch, EightPortsAtOnceEachListedWithWhatItAnswered) {
    auto e700 = Phone({"--model", "SGH-E700"});
    auto d500 = Phone({"--model", "SGH-D500"});
    auto modem = Phone({"--model", "ERROR"});  // OK to ATZ, ERROR to AT+CGMM
    auto named = Phone({"--model", "V.92 DATA/FAX MODEM"});
    auto silent1 = Phone({"--silent-after", "0"});
    auto silent2 = Phone({"--silent-after", "0"});
    test::Pty held;
    ASSERT_TRUE(held.Hold());
    const Expected rows[] = {
        {"phone", e700->TtyPath(), PortAnswer::Phone, "SGH-E700"},
        {"refused model", d500->TtyPath(), PortAnswer::OtherModel, "SGH-D500"},
        {"modem refusing the model query", modem->TtyPath(), PortAnswer::Modem, ""},
        {"modem naming itself", named->TtyPath(), PortAnswer::Modem, "V.92 DATA/FAX MODEM"},
        {"silent", silent1->TtyPath(), PortAnswer::Silent, ""},
        {"silent too", silent2->TtyPath(), PortAnswer::Silent, ""},
        {"held by another", held.Path(), PortAnswer::Unavailable, ""},
        {"not there", "/dev/q7k3-no-such-port", PortAnswer::Unavailable, ""},
    };
    SearchRequest request;
    for (const Expected& row : rows) request.Ports.push_back(row.path);
    request.PreferredRate = 128000;

    const auto start = std::chrono::steady_clock::now();
    int reported = 0;
    const std::vector<PortFinding> found = SearchPhones(SearchList(request), request, {}, nullptr,
                                                        [&](const PortFinding&) { ++reported; });
    const auto took = std::chrono::steady_clock::now() - start;

    ASSERT_EQ(found.size(), std::size(rows));
    EXPECT_EQ(reported, 8);
    for (size_t i = 0; i < found.size(); ++i) {
        SCOPED_TRACE(rows[i].what);
        EXPECT_EQ(found[i].Path, rows[i].path);
        EXPECT_EQ(found[i].Answer, rows[i].answer) << FindingLine(found[i]);
        EXPECT_EQ(found[i].Model, rows[i].model);
    }
    // Said as the port-state window says it.
    EXPECT_EQ(found[6].State.State, PortState::Busy);
    EXPECT_EQ(FindingText(found[7]), Msg(kMsgPortMissing));
    EXPECT_EQ(FindingText(found[0]),
              Msg(kMsgFoundPhone) + "SGH-E700, 128000" + Msg(kMsgBitsPerSecond));
    const auto phones = PhonesFound(found);
    ASSERT_EQ(phones.size(), 1u);
    EXPECT_EQ(phones[0]->Path, e700->TtyPath());
    // The speed tried first is the one it answered at.
    EXPECT_EQ(phones[0]->Rate, 128000);
    // The silent ports wait their short deadlines at three speeds side by side: seconds, not
    // the sum over the ports. The bound is generous; the search takes about three.
    EXPECT_LT(took, std::chrono::seconds(20));
}

TEST(PhoneSearch, AStoppedSearchWritesToNoPortAndEndsAtOnce) {
    auto phone = Phone({"--model", "SGH-X600", "--log", testing::TempDir() + "search-stop.log"});
    std::atomic<bool> stop{true};
    SearchRequest request;
    request.Ports = {phone->TtyPath()};
    const std::vector<PortFinding> found = SearchPhones(request.Ports, request, {}, &stop);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Answer, PortAnswer::Stopped);
    phone->Stop();
    // Not one command reached the phone.
    EXPECT_EQ(
        test::FileText(QString::fromStdString(testing::TempDir() + "search-stop.log")).find("AT"),
        std::string::npos);
}

TEST(PhoneSearch, TheStableNameIsTheDevicesLinkUnderByIdAndFollowsIt) {
    auto phone = Phone({"--model", "SGH-E800"});
    test::Pty other;
    QTemporaryDir dir;
    const fs::path byId = fs::path(dir.path().toStdString()) / "serial/by-id";
    fs::create_directories(byId);
    const std::string link = (byId / "usb-SGH_Phone_0123-if00").string();
    fs::create_symlink(phone->TtyPath(), link);
    fs::create_symlink("/dev/null", byId / "not-this-one");

    EXPECT_EQ(StableName(phone->TtyPath(), byId.string()), link);
    EXPECT_EQ(StableName(link, byId.string()), link);
    EXPECT_EQ(StableName(other.Path(), byId.string()), "");
    // The link and its device are one port to search.
    SearchRequest request;
    request.Ports = {link, phone->TtyPath(), other.Path()};
    EXPECT_EQ(SearchList(request), (std::vector<std::string>{link, other.Path()}));

    SearchSources sources;
    sources.ByIdDir = byId.string();
    request.Ports = {phone->TtyPath()};
    const std::vector<PortFinding> found = SearchPhones(request.Ports, request, sources);
    ASSERT_EQ(PhonesFound(found).size(), 1u);
    EXPECT_EQ(found[0].NameToUse(), link);

    // Plugged in again, the device has another kernel name; its link leads there.
    fs::remove(link);
    fs::create_symlink(other.Path(), link);
    EXPECT_TRUE(SameDevice(link, other.Path()));
    EXPECT_FALSE(SameDevice(link, phone->TtyPath()));
    EXPECT_EQ(StableName(other.Path(), byId.string()), link);
}

TEST(PortWatch, ADeviceAppearingInTheWatchedDevIsReportedOnceByOneName) {
    int argc = 1;
    char name[] = "settings_search_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    test::Pty present, plugged;
    QTemporaryDir dir;
    const fs::path dev = fs::path(dir.path().toStdString()) / "dev";
    const fs::path byId = dev / "serial/by-id";
    fs::create_directories(dev);
    fs::create_symlink(present.Path(), dev / "ttyS0");
    fs::create_symlink("/dev/null", dev / "null");

    PortWatcher watcher;
    QSignalSpy appeared(&watcher, &PortWatcher::PortsAppeared);
    watcher.Watch({dev.string(), byId.string(), 50});
    EXPECT_EQ(watcher.Present(), (std::vector<std::string>{(dev / "ttyS0").string()}));

    // A device that is no serial port, then the phone with its stable name a moment later.
    fs::create_symlink("/dev/zero", dev / "zero");
    fs::create_symlink(plugged.Path(), dev / "ttyACM5");
    fs::create_directories(byId);
    fs::create_symlink(plugged.Path(), byId / "usb-SGH-if00");
    ASSERT_TRUE(appeared.wait(5000));
    QTest::qWait(200);
    ASSERT_EQ(appeared.count(), 1);
    EXPECT_EQ(appeared[0][0].toStringList(),
              QStringList{QString::fromStdString((dev / "ttyACM5").string())});

    // Unplugged and plugged in again: new again.
    fs::remove(dev / "ttyACM5");
    fs::remove(byId / "usb-SGH-if00");
    QTest::qWait(300);
    fs::create_symlink(plugged.Path(), dev / "ttyACM6");
    ASSERT_TRUE(appeared.wait(5000));
    EXPECT_EQ(appeared.last()[0].toStringList(),
              QStringList{QString::fromStdString((dev / "ttyACM6").string())});
}

struct CliRun {
    int Exit;
    std::string Out, Err;
};

CliRun Cli(const QStringList& args, const std::string& searchPorts) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    QTemporaryDir config;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("Q7K3FM_SEARCH_PORTS"), QString::fromStdString(searchPorts));
    env.remove(QStringLiteral("Q7K3FM_PORT"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
    if (!cli.waitForFinished(60000)) {
        cli.kill();
        cli.waitForFinished();
        return {-1, "", "did not finish"};
    }
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(),
            cli.readAllStandardError().toStdString()};
}

TEST(PhoneSearchCli, DetectListsEveryPortAndPortAutoUsesTheOnePhone) {
    auto x600 = Phone({"--model", "SGH-X600"});
    auto e100 = Phone({"--model", "SGH-E100"});
    auto modem = Phone({"--model", "ERROR"});
    const std::string one = modem->TtyPath() + ":" + x600->TtyPath();
    const std::string two = one + ":" + e100->TtyPath();

    const CliRun detect = Cli({"detect"}, one);
    EXPECT_EQ(detect.Exit, 0) << detect.Err;
    EXPECT_EQ(detect.Out, modem->TtyPath() + " " + Msg(kMsgFoundModem) + "\n" + x600->TtyPath() +
                              " " + Msg(kMsgFoundPhone) + "SGH-X600, 115200" +
                              Msg(kMsgBitsPerSecond) + "\n");
    const CliRun json = Cli({"detect", "--json", "--baud", "230400"}, one);
    EXPECT_NE(json.Out.find("\"answer\": \"phone\", \"model\": \"SGH-X600\", \"rate\": 230400"),
              std::string::npos)
        << json.Out;
    EXPECT_NE(json.Out.find("\"phones\": 1}"), std::string::npos) << json.Out;

    const CliRun auto1 = Cli({"--port", "auto", "identify"}, one);
    EXPECT_EQ(auto1.Exit, 0) << auto1.Err;
    EXPECT_EQ(auto1.Out, "SGH-X600\n");

    // Several: none is guessed; both are named.
    const CliRun auto2 = Cli({"identify", "--port=auto"}, two);
    EXPECT_EQ(auto2.Exit, 8);
    EXPECT_NE(auto2.Err.find(x600->TtyPath()), std::string::npos) << auto2.Err;
    EXPECT_NE(auto2.Err.find(e100->TtyPath()), std::string::npos) << auto2.Err;
    EXPECT_EQ(auto2.Out, "");

    const CliRun none = Cli({"--port", "auto", "identify"}, modem->TtyPath());
    EXPECT_EQ(none.Exit, 4);
    EXPECT_NE(none.Err.find(Msg(kMsgNoPhoneFound)), std::string::npos) << none.Err;
    EXPECT_NE(none.Err.find(modem->TtyPath() + " " + Msg(kMsgFoundModem)), std::string::npos);
}

}  // namespace
}  // namespace q7k3
