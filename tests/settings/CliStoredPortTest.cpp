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

CliRun Identify(const QString& configHome) {
    QProcess cli;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    cli.setProcessEnvironment(env);
    cli.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), {QStringLiteral("identify")});
    if (!cli.waitForFinished(30000)) {
        cli.kill();
        cli.waitForFinished();
        return {-1, "", "did not finish"};
    }
    return {cli.exitCode(), cli.readAllStandardOutput().toStdString(),
            cli.readAllStandardError().toStdString()};
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

}  // namespace
}  // namespace q7k3
