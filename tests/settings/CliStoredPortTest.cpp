// The command line without --port: it takes the port and line settings the program stored.

#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "settings/Fakes.h"
#include "support/EmulatorProcess.h"

namespace q7k3 {
namespace {

struct CliRun {
    int Exit;
    std::string Out, Err;
};

CliRun RunWithConfig(const QString& configHome, const QStringList& args) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.remove(QStringLiteral("Q7K3FM_PORT"));
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
    if (!cli.waitForFinished(30000)) {
        cli.kill();
        cli.waitForFinished();
        return {-1, "", "did not finish"};
    }
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(),
            cli.readAllStandardError().toStdString()};
}

CliRun Identify(const QString& configHome) {
    return RunWithConfig(configHome, {QStringLiteral("identify")});
}

TEST(CliStoredPort, IdentifyUsesTheStoredPortAndFailsWithoutOne) {
    test::EmulatorProcess phone({"--model", "SGH-X600"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    QTemporaryDir config;
    test::WriteFile(config.path() + "/Q7K3FileManager.conf",
                    "[General]\nComPort=" + phone.TtyPath() + "\nBaudRate=230400\nSleepTime=2\n");
    CliRun stored = Identify(config.path());
    EXPECT_EQ(stored.Exit, 0) << stored.Err;
    EXPECT_NE(stored.Out.find("SGH-X600"), std::string::npos) << stored.Out;

    QTemporaryDir empty;
    CliRun none = Identify(empty.path());
    // Without any port, the message says where one is named.
    EXPECT_EQ(none.Exit, 3);
    EXPECT_NE(none.Err.find("порт телефона не задан"), std::string::npos) << none.Err;
    EXPECT_NE(none.Err.find("q7k3fm-cli ports"), std::string::npos) << none.Err;
}

// --port names the port; the rest of what was stored (here: melodies fetched as they are)
// applies all the same, and a stored setting without a stored port names no port.
TEST(CliStoredPort, StoredSettingsHoldWithAPortGiven) {
    QTemporaryDir root;
    QDir(root.path()).mkpath("user/sounds");
    test::WriteFile(root.filePath("user/sounds/melody01.mel"), "no melody inside");
    test::EmulatorProcess phone({"--root", root.path().toStdString()});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    QTemporaryDir config, out;
    test::WriteFile(config.path() + "/Q7K3FileManager.conf", "[General]\nMelConvertion=0\n");
    const CliRun got =
        RunWithConfig(config.path(), {"get", "Sounds/Default Sounds/melody01.mel", out.path(),
                                      "--port", QString::fromStdString(phone.TtyPath())});
    EXPECT_EQ(got.Exit, 0) << got.Err;
    EXPECT_TRUE(QFile::exists(out.filePath("melody01.mel"))) << got.Err;

    const CliRun none = Identify(config.path());
    EXPECT_EQ(none.Exit, 3);
    EXPECT_NE(none.Err.find("порт телефона не задан"), std::string::npos) << none.Err;
}

}  // namespace
}  // namespace q7k3
