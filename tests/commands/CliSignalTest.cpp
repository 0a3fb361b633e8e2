// SIGTERM and SIGINT in the middle of a long copy: the program ends, its private temporary
// directory is gone and the port is free for the next program. The window saves its
// settings as it does on close.

#include <gtest/gtest.h>
#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "support/EmulatorProcess.h"

namespace {

using q7k3::test::EmulatorProcess;

void EnsureApp() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "cli_safety_tests";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray Pattern(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i) b[i] = static_cast<char>(i * 13 + i / 509);
    return b;
}

// A phone slow enough for a copy to be under way when the signal comes.
struct SlowPhone {
    SlowPhone() {
        QDir(root.path()).mkpath("user");
        emu = std::make_unique<EmulatorProcess>(std::vector<std::string>{
            "--root", root.path().toStdString(), "--baud", "115200", "--preset", "demo"});
    }
    QString Port() const { return QString::fromStdString(emu->TtyPath()); }
    QTemporaryDir root;
    std::unique_ptr<EmulatorProcess> emu;
};

// Starts the program with its own temporary and configuration folders, sends `sig` after
// `afterMs`, and returns its exit code (-1: it did not end within 15 s).
int StopMidway(const QString& program, const QStringList& args, const QTemporaryDir& home, int sig,
               int afterMs, QString* err = nullptr) {
    EnsureApp();
    QDir(home.path()).mkpath("tmp");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TMPDIR", home.filePath("tmp"));
    env.insert("HOME", home.path());
    env.insert("XDG_CONFIG_HOME", home.filePath("config"));
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("Q7K3FM_PORT");
    p.setProcessEnvironment(env);
    p.start(program, args);
    if (!p.waitForStarted()) return -2;
    QThread::msleep(static_cast<unsigned long>(afterMs));
    if (p.state() != QProcess::Running) return -3;
    ::kill(static_cast<pid_t>(p.processId()), sig);
    QElapsedTimer clock;
    clock.start();
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (err) *err = QString::fromUtf8(p.readAllStandardError());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The program's private temporary directories left behind (the sound service and Qt may
// keep their own there).
QStringList Left(const QTemporaryDir& home) {
    return QDir(home.filePath("tmp"))
        .entryList({"q7k3fm-*"}, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// The port opens again and the phone answers.
int Identify(const QString& port) {
    QProcess p;
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), {"identify", "--port", port});
    p.waitForFinished(20000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

TEST(CliSignalTest, TheCommandLineEndsCleanlyInTheMiddleOfACopy) {
    SlowPhone phone;
    ASSERT_TRUE(phone.emu->Started()) << phone.emu->Error();
    const QByteArray big = Pattern(80000);
    WriteFile(phone.root.filePath("user/big.bin"), big);
    struct Case {
        QStringList args;
        int sig;
        const char* says = "";  // on standard error
    };
    const char* notSaved = "прервано; не сохранено: E700:\\User\\big.bin";
    QTemporaryDir local;
    WriteFile(local.filePath("up.bin"), big);
    const Case cases[] = {
        {{"get", "User/big.bin", local.filePath("down.bin")}, SIGTERM, notSaved},
        {{"get", "User/big.bin", local.filePath("down.bin")}, SIGINT, notSaved},
        {{"backup", local.filePath("saved")}, SIGTERM},
        // A rename reads the file into the private temporary directory first.
        {{"rename", "User/big.bin", "moved.bin"}, SIGTERM},
        {{"rename", "User/big.bin", "moved.bin"}, SIGINT},
        // A write: the rest is sent spoiled first, so the phone refuses it and stays in step.
        {{"put", "--raw", local.filePath("up.bin"), "User"}, SIGTERM},
        // Into a folder (through a hidden folder beside the files), to standard output, and
        // from standard input: nothing of the program is left anywhere.
        {{"get", "User/big.bin", local.filePath("into")}, SIGTERM, notSaved},
        {{"get", "User/big.bin", "-"}, SIGINT},
        {{"put", "--name", "s.bin", "-", "User"}, SIGTERM},
    };
    ASSERT_TRUE(QDir(local.path()).mkdir("into"));
    for (const Case& c : cases) {
        QTemporaryDir home;
        QString err;
        const int code =
            StopMidway(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                       c.args + QStringList{"--port", phone.Port()}, home, c.sig, 1200, &err);
        const std::string shown = c.args.join(' ').toStdString();
        EXPECT_EQ(code, 130) << shown;
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.says))) << shown << "\n" << err.toStdString();
        EXPECT_EQ(Left(home), QStringList()) << shown << ": the private temporary directory";
        EXPECT_EQ(QDir(local.filePath("into"))
                      .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                  QStringList())
            << shown;
        EXPECT_EQ(Identify(phone.Port()), 0) << shown << ": the port is free again";
    }
    EXPECT_FALSE(QFile::exists(local.filePath("down.bin"))) << "no partial file";
    EXPECT_FALSE(QFile::exists(phone.root.filePath("user/up.bin")));
    EXPECT_FALSE(QFile::exists(phone.root.filePath("user/moved.bin")));
    QFile kept(phone.root.filePath("user/big.bin"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), big);
}

// A put killed outright leaves the phone waiting for the rest of the file, taking every byte
// for data: the next command says so and waits, sending nothing, until the phone gives up.
TEST(CliSignalTest, TheNextCommandWaitsOutACutWrite) {
    SlowPhone phone;
    ASSERT_TRUE(phone.emu->Started()) << phone.emu->Error();
    QTemporaryDir local, home;
    WriteFile(local.filePath("up.bin"), Pattern(200000));
    const QString cli = QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli");
    StopMidway(cli, {"put", "--raw", local.filePath("up.bin"), "User", "--port", phone.Port()},
               home, SIGKILL, 1500);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("HOME", home.path());
    p.setProcessEnvironment(env);
    p.start(cli, {"ls", "User", "--port", phone.Port()});
    ASSERT_TRUE(p.waitForFinished(40000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("Телефон ещё ждёт данных передачи файла")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(phone.root.filePath("user/up.bin")));
}

TEST(CliSignalTest, TheWindowClosesAsOnItsCloseButtonDuringTheScan) {
    SlowPhone phone;
    ASSERT_TRUE(phone.emu->Started()) << phone.emu->Error();
    for (int i = 0; i < 40; ++i)
        WriteFile(phone.root.filePath("user/f" + QString::number(i) + ".bin"), Pattern(100));
    for (const int sig : {SIGTERM, SIGINT}) {
        QTemporaryDir home;
        QDir(home.path()).mkpath("config");
        WriteFile(home.filePath("config/Q7K3FileManager.conf"),
                  "[General]\nComPort=" + phone.Port().toUtf8() + "\n");
        const int code = StopMidway(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm"), {}, home, sig, 1500);
        EXPECT_EQ(code, 128 + sig);
        EXPECT_EQ(Left(home), QStringList()) << "the private temporary directory";
        QFile settings(home.filePath("config/Q7K3FileManager.conf"));
        ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
        EXPECT_TRUE(settings.readAll().contains("LastPath")) << "saved as on close";
        EXPECT_EQ(Identify(phone.Port()), 0) << "the port is free again";
    }
}

}  // namespace
