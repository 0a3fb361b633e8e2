// q7k3fm-cli's file commands: the same folder rules as the window, several files at once,
// and a taken name refused unless --overwrite is given.

#include <QProcess>
#include <QTemporaryFile>

#include "CommandFixture.h"
#include "media/Melody.h"
#include "support/EmulatorProcess.h"
#include "base/Messages.h"

using namespace q7k3;
using namespace q7k3::test;

namespace {

TEST(CliCommandsTest, PutGetRenameRmWithTheFolderRules) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    QTemporaryDir dir;
    const auto run = [&](QStringList args, QByteArray* err = nullptr) {
        QProcess p;
        args << "--port" << QString::fromStdString(emu.SlavePath());
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
        p.waitForFinished(60000);
        if (err) *err = p.readAllStandardError();
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    };
    const auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return dir.filePath(name);
    };
    const QByteArray mmf("MMMD\0\0\0\4abcd", 12);
    const QString tune = write("tune.mmf", mmf);
    const QString a = write("a.txt", "first a");
    const QString c = write("c.txt", "c");
    ASSERT_EQ(run({"put", tune, "Sounds\\Default Sounds"}), 0);
    ASSERT_EQ(run({"put", a, c, "User"}), 0);
    const std::string sounds = emu.FolderId("user/sounds");
    const std::string user = emu.FolderId("user");
    EXPECT_EQ(emu.GetFile(sounds, "melody01.mel")->size(), 12u + 32);
    EXPECT_EQ(emu.GetFile(user, "c.txt"), "c");

    // A taken name: refused with a clear line, replaced with --overwrite.
    write("a.txt", "second a");
    QByteArray err;
    EXPECT_EQ(run({"put", a, "User"}, &err), 1);
    EXPECT_TRUE(err.contains("на телефоне уже есть файл (--overwrite заменит его): a.txt"))
        << err.toStdString();
    EXPECT_EQ(emu.GetFile(user, "a.txt"), "first a");
    EXPECT_EQ(run({"put", "--overwrite", a, "User"}), 0);
    EXPECT_EQ(emu.GetFile(user, "a.txt"), "second a");
    EXPECT_EQ(run({"put", "--raw", tune, "Sounds\\Default Sounds"}), 0);
    EXPECT_EQ(emu.GetFile(sounds, "tune.mmf"), mmf.toStdString());

    // Several files at once; the melody comes back as the .mmf it was.
    QDir(dir.path()).mkdir("back");
    const QString back = dir.filePath("back");
    ASSERT_EQ(
        run({"get", "User\\a.txt", "Sounds\\Default Sounds\\melody01.mel", "User\\c.txt", back}),
        0);
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    };
    EXPECT_EQ(read(back + "/a.txt"), "second a");
    EXPECT_EQ(read(back + "/tune.mmf"), mmf);
    EXPECT_EQ(read(back + "/c.txt"), "c");
    ASSERT_EQ(run({"get", "--raw", "Sounds\\Default Sounds\\melody01.mel", back}), 0);
    EXPECT_EQ(read(back + "/melody01.mel").size(), 12 + 32);
    EXPECT_NE(run({"get", "User\\nothing.txt", back}, &err), 0);
    EXPECT_TRUE(err.contains("Файл не найден"));

    ASSERT_EQ(run({"rename", "User\\a.txt", "b.txt"}), 0);
    EXPECT_EQ(emu.GetFile(user, "b.txt"), "second a");
    EXPECT_FALSE(emu.GetFile(user, "a.txt"));
    EXPECT_EQ(run({"rename", "User\\b.txt", "c.txt"}, &err), 1);
    EXPECT_TRUE(err.contains("на телефоне уже есть файл (--overwrite заменит его): c.txt"));
    ASSERT_EQ(run({"rename", "--overwrite", "User\\b.txt", "c.txt"}), 0);
    EXPECT_EQ(emu.GetFile(user, "c.txt"), "second a");

    write("d.txt", "d");
    ASSERT_EQ(run({"put", dir.filePath("d.txt"), "User"}), 0);
    ASSERT_EQ(run({"rm", "User\\c.txt", "User\\d.txt"}), 0);
    EXPECT_TRUE(emu.ListFiles(user).empty());

    // A raw overwrite the phone refuses leaves the old file where it was.
    ASSERT_EQ(run({"put", "--raw", write("e.txt", "old e"), "User"}), 0);
    write("e.txt", "new e");
    emu.FailCommand("AT+FSFW", 105);
    EXPECT_NE(run({"put", "--raw", "--overwrite", dir.filePath("e.txt"), "User"}), 0);
    EXPECT_EQ(emu.GetFile(user, "e.txt"), "old e");
    EXPECT_EQ(emu.ListFiles(user).size(), 1u);
    emu.Stop();
}

// A phone that refuses the new name: the file goes back under its old one and the message
// says so.
TEST(CliCommandsTest, ARenameTheWriteOfWhichIsRefusedPutsTheFileBack) {
    QTemporaryDir root;
    QDir(root.path()).mkpath("user");
    {
        QFile f(root.filePath("user/a.txt"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    EmulatorProcess phone({"--root", root.path().toStdString(), "--fail-name", "new.txt:2007"});
    ASSERT_TRUE(phone.Started()) << phone.Error();
    QProcess p;
    p.start(
        QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
        {"rename", "User\\a.txt", "new.txt", "--port", QString::fromStdString(phone.TtyPath())});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(
        err.contains("Память заполнена. Файл возвращён на телефон под прежним именем a.txt"))
        << err.toStdString();
    QFile kept(root.filePath("user/a.txt"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "keep me");
    EXPECT_FALSE(QFileInfo::exists(root.filePath("user/new.txt")));
}

// Two phone files the folder rules give one local name (two melodies titled "Ring",
// game.jar and game_suite.jar): both are kept, the later one numbered and said so.
TEST(CliCommandsTest, GetNumbersASecondFileOfTheSameLocalName) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    const Bytes first = {'M', 'M', 'M', 'D', 0, 0, 0, 1, 1};
    const Bytes second = {'M', 'M', 'M', 'D', 0, 0, 0, 1, 2};
    const std::string sounds = emu.FolderId("user/sounds");
    for (const auto& [name, mmf] : {std::pair{"melody01.mel", first}, {"melody02.mel", second}}) {
        const Bytes mel = BuildMel(mmf, "Ring");
        emu.PutFile(sounds, name, std::string(mel.begin(), mel.end()));
    }
    emu.PutFile("B", "game.jar", "plain");
    emu.PutFile("B", "game_suite.jar", "suite");
    for (const bool force : {false, true}) {
        QTemporaryDir out;
        QStringList args = {"get",
                            "Sounds\\Default Sounds\\melody01.mel",
                            "Sounds\\Default Sounds\\melody02.mel",
                            "User\\game.jar",
                            "User\\game_suite.jar",
                            out.path(),
                            "--port",
                            QString::fromStdString(emu.SlavePath())};
        if (force) args << "--force";
        QProcess p;
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
        p.waitForFinished(60000);
        const QString err = QString::fromUtf8(p.readAllStandardError());
        EXPECT_EQ(p.exitCode(), 0) << err.toStdString();
        const auto read = [&](const char* name) {
            QFile f(out.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : "<missing>";
        };
        EXPECT_EQ(read("Ring.mmf"), std::string(first.begin(), first.end()));
        EXPECT_EQ(read("Ring (2).mmf"), std::string(second.begin(), second.end()));
        EXPECT_EQ(read("game.jar"), "plain");
        EXPECT_EQ(read("game (2).jar"), "suite");
        EXPECT_TRUE(
            err.contains("E700:\\User\\game_suite.jar сохранён как game (2).jar: имя "
                         "game.jar уже получил другой файл этой же команды"))
            << err.toStdString();
        EXPECT_TRUE(err.contains("melody02.mel сохранён как Ring (2).mmf")) << err.toStdString();
    }
}

// get -v says under which name each file was written, a folder rule's rename too.
TEST(CliCommandsTest, GetSaysWhatItWroteUnderWhichName) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    const Bytes mmf = {'M', 'M', 'M', 'D', 0, 0, 0, 1, 1};
    const Bytes mel = BuildMel(mmf, "Morning");
    emu.PutFile(emu.FolderId("user/sounds"), "melody01.mel", std::string(mel.begin(), mel.end()));
    emu.PutFile("B", "a.txt", "phone a");
    QTemporaryDir out;
    const auto run = [&](const QStringList& args, QString& err) {
        QProcess p;
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                QStringList(args) << "--port" << QString::fromStdString(emu.SlavePath()));
        p.waitForFinished(60000);
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString err;
    ASSERT_EQ(run({"get", "-v", "Sounds\\Default Sounds\\melody01.mel", "User\\a.txt", out.path()},
                  err),
              0)
        << err.toStdString();
    for (const QString& said : {"melody01.mel сохранён как " + out.filePath("Morning.mmf"),
                                "E700:\\User\\a.txt сохранён как " + out.filePath("a.txt")})
        EXPECT_TRUE(err.contains(said)) << err.toStdString();
    ASSERT_EQ(run({"get", "-v", "User\\a.txt", out.filePath("b.txt")}, err), 0);
    EXPECT_TRUE(err.contains("a.txt сохранён как " + out.filePath("b.txt"))) << err.toStdString();
}

// A local file of the name a phone file will take is refused before its transfer.
TEST(CliCommandsTest, GetRefusesATakenNameBeforeTheTransfer) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    emu.PutFile("B", "a.txt", "phone a");
    QTemporaryDir out;
    QFile mine(out.filePath("a.txt"));
    ASSERT_TRUE(mine.open(QIODevice::WriteOnly));
    mine.write("mine");
    mine.close();
    emu.ClearReceived();
    QProcess p;
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
            {"get", "User\\a.txt", out.path(), "--port", QString::fromStdString(emu.SlavePath())});
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitCode(), 6);
    EXPECT_TRUE(p.readAllStandardError().contains(out.filePath("a.txt").toUtf8()));
    EXPECT_EQ(emu.Received().find("AT+FSFR"), std::string::npos) << "nothing fetched";
}

// put says what became of each file: an empty one is left out with a line (code 1); with -v
// every phone name is printed, as the folder cut it.
TEST(CliCommandsTest, PutSaysWhatBecameOfEachFile) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    QTemporaryDir dir;
    const auto run = [&](QStringList args, QString& err) {
        QProcess p;
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                args << "--port" << QString::fromStdString(emu.SlavePath()));
        p.waitForFinished(60000);
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    const auto write = [&](const QString& name, const QByteArray& data) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return dir.filePath(name);
    };
    QString err;
    const QString empty = write("empty.txt", "");
    EXPECT_EQ(run({"put", empty, "User"}, err), 1);
    EXPECT_TRUE(err.contains(QString::fromStdString(Msg(kMsgEmptyFileLeft)) + empty))
        << err.toStdString();
    const QString tune = write(QString(30, 'n') + ".mid", "MThd");
    EXPECT_EQ(run({"put", "-v", tune, "Sounds/My Sounds"}, err), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(tune + " записан на телефон как E700:\\Sounds\\My Sounds\\" +
                             QString(24, 'n') + ".mid"))
        << err.toStdString();
}

// put - streams standard input, stops at what a phone takes and uploads nothing when the
// input cannot be kept whole.
TEST(CliCommandsTest, PutFromStandardInputIsBoundedAndChecked) {
    EnsureApplication();
    PhoneEmulator emu;
    ASSERT_TRUE(emu.Start());
    const auto run = [&](const QString& name, const QByteArray& input, const QString& tmp = {}) {
        QProcess p;
        if (!tmp.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("TMPDIR", tmp);
            p.setProcessEnvironment(env);
        }
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                {"put", "--raw", "--name", name, "-", "User", "--port",
                 QString::fromStdString(emu.SlavePath())});
        p.write(input);
        p.closeWriteChannel();
        p.waitForFinished(60000);
        const QByteArray err = p.readAllStandardError();
        return std::make_pair(p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, err);
    };
    const QByteArray fits(300000, 'x');
    EXPECT_EQ(run("fits.bin", fits).first, 0);
    EXPECT_EQ(emu.GetFile("B", "fits.bin"), fits.toStdString());

    const auto [tooLong, said] = run("huge.bin", QByteArray(700000, 'y'));
    EXPECT_EQ(tooLong, 1);
    EXPECT_TRUE(said.contains(QByteArray::fromStdString(Msg(kMsgStdinTooLarge))))
        << said.toStdString();
    // No private folder to keep the input in (the temporary folder is a file): nothing
    // goes to the phone.
    QTemporaryFile notAFolder;
    ASSERT_TRUE(notAFolder.open());
    const auto [unsaved, why] = run("cut.bin", fits, notAFolder.fileName());
    EXPECT_EQ(unsaved, 6) << why.toStdString();
    EXPECT_FALSE(emu.GetFile("B", "huge.bin"));
    EXPECT_FALSE(emu.GetFile("B", "cut.bin"));
}

// A replacement cut on a phone that gives no serial number: the command line does not finish
// it unasked (nobody at a terminal to ask), says how to, and does with --same-phone.
TEST(CliCommandsTest, AStepCutOnAPhoneWithoutSerialWaitsForSamePhone) {
    EnsureApplication();
    EmulatorConfig config;
    config.Serial = "ERROR";
    PhoneEmulator emu(config);
    ASSERT_TRUE(emu.Start());
    QTemporaryDir dir;
    const auto run = [&](QStringList args, QByteArray* err = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        p.setProcessEnvironment(env);
        p.setStandardInputFile(QProcess::nullDevice());
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                args << "--port" << QString::fromStdString(emu.SlavePath()));
        p.waitForFinished(60000);
        if (err) *err = p.readAllStandardError();
        return p.exitCode();
    };
    emu.PutFile("B", "a.txt", "old");
    QFile local(dir.filePath("a.txt"));
    ASSERT_TRUE(local.open(QIODevice::WriteOnly));
    local.write("new a");
    local.close();
    // Refused under its own name: the new file stays under the temporary one.
    emu.FailCommand("AT+FSFW=-1,\"a.txt\"", 2007);
    EXPECT_EQ(run({"put", "--raw", "--overwrite", local.fileName(), "User"}), 1);
    emu.ClearFaults();
    QByteArray err;
    EXPECT_EQ(run({"ls", "User"}, &err), 0);
    EXPECT_TRUE(err.contains(QByteArray::fromStdString(
        Msg(kMsgSamePhoneQuestion) + "E700:\\User\\a.txt" + Msg(kMsgCliSamePhoneAdvice))))
        << err.toStdString();
    EXPECT_FALSE(emu.GetFile("B", "a.txt"));
    EXPECT_EQ(run({"ls", "User", "--same-phone"}, &err), 0);
    EXPECT_TRUE(
        err.contains(QByteArray::fromStdString(Msg(kMsgReplaceFinished) + "E700:\\User\\a.txt")))
        << err.toStdString();
    EXPECT_EQ(emu.GetFile("B", "a.txt"), "new a");
}

}  // namespace
