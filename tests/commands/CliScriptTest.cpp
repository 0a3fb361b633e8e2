// q7k3fm-cli as a script sees it: strict options, exit codes with real causes, the
// porcelain listing, no local file replaced unasked, convert's input checks, and a put
// interrupted with Ctrl+C that leaves the phone ready for the next command.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "support/EmulatorProcess.h"

namespace {

using q7k3::test::EmulatorProcess;

void EnsureApp() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "cli_script_tests";
        static char* argv[] = {name, nullptr};
        new QCoreApplication(argc, argv);
    }
}

struct Outcome {
    int code = -1;
    QByteArray out;
    QString err;
};

Outcome Cli(const QStringList& args, const QString& cwd = {}, const QByteArray& input = {},
        const QStringList& env = {}) {
    EnsureApp();
    QProcess p;
    if (!cwd.isEmpty()) p.setWorkingDirectory(cwd);
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.remove("Q7K3FM_PORT");
    e.insert("XDG_CONFIG_HOME", QDir::tempPath() + "/cli-script-tests-config");
    for (const QString& kv : env) e.insert(kv.section('=', 0, 0), kv.section('=', 1));
    p.setProcessEnvironment(e);
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"), args);
    p.waitForStarted();
    if (!input.isEmpty()) p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    Outcome r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(data);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

// A phone with its files in a folder of the test's own.
struct Phone {
    explicit Phone(std::vector<std::string> extra = {}) {
        QDir(root.path()).mkpath("user");
        std::vector<std::string> args{"--root", root.path().toStdString()};
        args.insert(args.end(), extra.begin(), extra.end());
        emu = std::make_unique<EmulatorProcess>(args);
    }
    QString Port() const { return QString::fromStdString(emu->TtyPath()); }
    QString User(const QString& name) const { return root.filePath("user/" + name); }
    QTemporaryDir root;
    std::unique_ptr<EmulatorProcess> emu;
};

// Unknown options, missing values and stray arguments: exit 2 with the word named, and
// neither a local file nor a phone file comes of them.
TEST(CliScriptTest, UsageErrorsNameTheWordAndCreateNothing) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    QTemporaryDir cwd;
    WriteFile(cwd.filePath("note.txt"), "note");
    WriteFile(cwd.filePath("a\\b.txt"), "backslash");
    WriteFile(phone.User("a.txt"), "phone a");
    const QString port = "--port=" + phone.Port();
    struct Case {
        QStringList args;
        const char* says;
    };
    const Case cases[] = {
        {{"put", "note.txt", "User", "--forse", port},
         "неизвестный параметр «--forse»; может быть, «--force»?"},
        {{"get", "User\\a.txt", "--stdout", port}, "неизвестный параметр «--stdout»"},
        {{"get", "--force", "User\\a.txt", port}, "не хватает аргументов"},
        {{"ls", "User", "--port"}, "параметру нужно значение: «--port»"},
        {{"ls", "--hidden=yes", "User", port}, "параметр не принимает значения: «--hidden=yes»"},
        {{"ls", "User", "Images", port}, "лишний аргумент «Images»"},
        {{"ls", "--mode", "fast", port}, "недопустимое значение --mode: «fast»"},
        {{"identify", "--sleep=5", port}, "недопустимое значение --sleep"},
        {{"identify", "--baud", "9600", port}, "--baud: «9600» (115200, 128000, 230400)"},
        {{"put", "a\\b.txt", "User", port},
         "такое имя на телефоне потом не назвать путём: «a\\b.txt»"},
        {{"rename", "User/a.txt", "x\\y.txt", port}, "потом не назвать путём"},
        {{"lss", "User", port}, "неизвестная команда «lss»; может быть, «ls»?"},
        {{"convert", "mmf2mel", "--slot", "300", "note.txt", "out.mel"}, "--slot: «300» (0..255)"},
        {{"convert", "mmf2mell", "note.txt", "out.mel"}, "может быть, «mmf2mel»?"},
        {{"convert", "note.txt", "out.xyz"}, "не угадывается по расширениям"},
        {{"convert", "a", "b", "c", "d"}, "лишний аргумент «d»"},
        // An unknown option is never taken for the backup folder, nor is a second folder.
        {{"backup", "saved", "--forse", port}, "неизвестный параметр «--forse»"},
        {{"backup", "--deep", "saved", port}, "неизвестный параметр «--deep»"},
        {{"backup", "saved", "more", port}, "лишний аргумент «more»"},
        {{"restore", "saved", "--overwrite=yes", port}, "параметр не принимает значения"},
        {{"restore", "saved", "--folder"}, "параметру нужно значение: «--folder»"},
        {{"verify", "--mode=fast", "saved", port}, "недопустимое значение --mode: «fast»"},
        {{"verify", port}, "не хватает аргументов"},
        {{"java", "rebuild", "--mode=pims", port}, "недопустимое значение --mode: «pims»"},
        {{"java", "rebiuld", port}, "неизвестная команда «rebiuld»; может быть, «rebuild»?"},
        {{"java", "rebuild", "--hidden", port}, "неизвестный параметр «--hidden»"},
    };
    for (const Case& c : cases) {
        const Outcome r = Cli(c.args, cwd.path());
        EXPECT_EQ(r.code, 2) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says)))
            << c.args.join(' ').toStdString() << "\n"
            << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
    EXPECT_EQ(Entries(cwd.path()), (QStringList{"a\\b.txt", "note.txt"}));
    EXPECT_EQ(QDir(phone.root.filePath("user")).entryList(QDir::Files), QStringList{"a.txt"});

    // "--" makes every later word an argument: a local file named "--force" goes up as such.
    WriteFile(cwd.filePath("--force"), "dashes");
    EXPECT_EQ(Cli({"put", port, "--", "--force", "User"}, cwd.path()).code, 0);
    EXPECT_EQ(ReadFile(phone.User("--force")), "dashes");
}

TEST(CliScriptTest, HelpAndVersionGoToStandardOutput) {
    struct Case {
        QStringList args;
        const char* starts;
        const char* option;
    };
    const Case cases[] = {
        {{"help", "get"}, "Вызов: q7k3fm-cli get", "--force"},
        {{"get", "--help"}, "Вызов: q7k3fm-cli get", "--force"},
        {{"get", "-h"}, "Вызов: q7k3fm-cli get", "--force"},
        {{"help", "backup"}, "Вызов: q7k3fm-cli backup", "--hidden"},
        {{"restore", "saved", "--help"}, "Вызов: q7k3fm-cli restore", "--overwrite"},
        {{"verify", "-h"}, "Вызов: q7k3fm-cli verify", "--deep"},
        {{"help", "java"}, "Вызов: q7k3fm-cli java", "--mode=normal|pro"},
    };
    for (const Case& c : cases) {
        const Outcome r = Cli(c.args);
        EXPECT_EQ(r.code, 0) << c.args.join(' ').toStdString();
        const QString out = QString::fromUtf8(r.out);
        EXPECT_TRUE(out.startsWith(QString::fromUtf8(c.starts))) << out.toStdString();
        EXPECT_TRUE(out.contains(c.option)) << out.toStdString();
        EXPECT_TRUE(out.contains("130  прервано")) << out.toStdString();
    }
    const Outcome version = Cli({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_TRUE(version.out.startsWith("q7k3fm-cli ")) << version.out.toStdString();
    const Outcome all = Cli({"--help"});
    EXPECT_EQ(all.code, 0);
    EXPECT_TRUE(all.out.contains("convert")) << all.out.toStdString();
    EXPECT_EQ(Cli({"help", "nothing"}).code, 2);
}

// Every exit code from a cause of its own.
TEST(CliScriptTest, EachExitCodeHasItsCause) {
    Phone phone;
    Phone silent({"--silent-after", "0"});
    Phone stranger({"--model", "SGH-Z999"});
    ASSERT_TRUE(phone.emu->Started() && silent.emu->Started() && stranger.emu->Started());
    WriteFile(phone.User("a.txt"), "phone a");
    QTemporaryDir cwd;
    WriteFile(cwd.filePath("kept.txt"), "mine");
    WriteFile(cwd.filePath("text.mmf"), "just some text, not a melody");
    struct Case {
        QStringList args;
        int code;
        const char* says;
    };
    const Case cases[] = {
        {{"ls", "User", "--port", phone.Port()}, 0, ""},
        {{"rm", "User\\nothing.txt", "--port", phone.Port()},
         1,
         "Файл не найден: «E700:\\User\\nothing.txt»"},
        {{"rm", "User", "--port", phone.Port()}, 1, "«E700:\\User» — это папка, а не файл"},
        {{"ls", "User", "--bogus", "--port", phone.Port()}, 2, "«--bogus»"},
        {{"ls", "User", "--port", cwd.filePath("no-such-port")}, 3, "no-such-port"},
        {{"ls", "User", "--port", silent.Port()}, 4, "Телефон не отвечает"},
        {{"identify", "--port", stranger.Port()}, 5, "модель: SGH-Z999"},
        {{"get", "User/a.txt", "kept.txt", "--port", phone.Port()}, 6, "kept.txt"},
        {{"convert", "mmf2mel", "text.mmf", "out.mel"}, 7, "ожидался MMF"},
        {{"verify", "no-backup", "--port", phone.Port()}, 6, "no-backup"},
        {{"restore", "--folder=User", "no-backup", "--port=" + phone.Port()}, 6, "no-backup"},
        {{"backup", "saved", "--port", cwd.filePath("no-such-port")}, 3, "no-such-port"},
        {{"backup", "saved", "--port", silent.Port()}, 4, "Телефон не отвечает"},
        {{"java", "rebuild", "--port", stranger.Port()}, 5, "модель: SGH-Z999"},
        // A trace that cannot be written stops the command before it starts.
        {{"ls", "User", "--trace", "/dev/full", "--port", phone.Port()}, 6, "/dev/full"},
        {{"ls", "User", "--trace", cwd.path(), "--port", phone.Port()}, 6, "это папка"},
    };
    for (const Case& c : cases) {
        const Outcome r = Cli(c.args, cwd.path());
        EXPECT_EQ(r.code, c.code) << c.args.join(' ').toStdString() << "\n" << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << r.err.toStdString();
    }
    EXPECT_EQ(ReadFile(cwd.filePath("kept.txt")), "mine");
    EXPECT_FALSE(QFileInfo::exists(cwd.filePath("saved"))) << "no backup begun without a phone";
    // The port may come from the environment.
    EXPECT_EQ(Cli({"ls", "User"}, cwd.path(), {}, {"Q7K3FM_PORT=" + phone.Port()}).code, 0);
}

// Each failure a newcomer meets says what it is and what to do: the port named with where
// another is chosen, the phone's refusal told at once, a local file named with its reason.
TEST(CliScriptTest, EachFailureSaysWhatToDo) {
    Phone phone;
    Phone silent({"--silent-after", "0"});
    Phone refusing({"--fail-command", "AT+FSFR:0", "--fail-command", "AT+FSFE:0"});
    ASSERT_TRUE(phone.emu->Started() && silent.emu->Started() && refusing.emu->Started());
    for (const Phone* p : {&phone, &refusing}) WriteFile(p->User("a.txt"), QByteArray(3000, 'a'));
    QTemporaryDir cwd;
    QDir(cwd.path()).mkdir("folder");
    const QString fifo = cwd.filePath("fifo");
    ASSERT_EQ(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QDir(cwd.path()).mkdir("damaged");
    WriteFile(cwd.filePath("damaged/q7k3fm-backup.txt"), "# not\ta manifest\nrubbish\n");
    const QString where = "--port ПУТЬ или переменной Q7K3FM_PORT";
    struct Case {
        QStringList args;
        QStringList env;
        int code;
        QStringList says;
    };
    const Case cases[] = {
        {{"ls", "User"}, {}, 3, {"порт телефона не задан", where, "q7k3fm-cli ports"}},
        {{"ls", "User", "--port", silent.Port()},
         {},
         4,
         {"Телефон не отвечает", "порт: " + silent.Port() + "\n", "кабель", where,
          "\n    q7k3fm-cli ports\n"}},
        {{"ls", "User"},
         {"Q7K3FM_PORT=" + silent.Port()},
         4,
         {"порт: " + silent.Port() + " (из переменной Q7K3FM_PORT)"}},
        // The advice fits the cause, and the command to run stands alone, ready to copy.
        {{"ls", "User", "--port", cwd.filePath("gone")},
         {},
         3,
         {"Невозможно открыть порт\n", "порт не найден: выберите другой",
          "\n    q7k3fm-cli ports\n"}},
        {{"ls", "User", "--port", "/dev/null"},
         {},
         3,
         {"/dev/null не последовательный порт", "выберите последовательный порт",
          "\n    q7k3fm-cli ports\n"}},
        {{"ls", "User", "--port", "auto"},
         {"Q7K3FM_SEARCH_PORTS=" + cwd.filePath("gone")},
         4,
         {"Телефон не найден ни на одном порту", "подключите кабель", "\n    q7k3fm-cli ports\n"}},
        {{"get", "User/a.txt", "out.txt", "--port", refusing.Port()},
         {},
         1,
         {"Телефон отказался выполнить команду (ответил ERROR)"}},
        {{"rm", "User/a.txt", "--port", refusing.Port()},
         {},
         1,
         {"Телефон отказался выполнить команду (ответил ERROR)"}},
        {{"put", "folder", "User", "--port", phone.Port()},
         {},
         6,
         {"Невозможно открыть файл folder: это папка, а не файл"}},
        {{"get", "--force", "User/a.txt", fifo, "--port", phone.Port()},
         {},
         6,
         {"Невозможно открыть файл " + fifo + ": это не обычный файл"}},
        {{"get", "User/a.txt", cwd.filePath("none/a.txt"), "--port", phone.Port()},
         {},
         6,
         {"Невозможно открыть файл " + cwd.filePath("none/a.txt") + ": нет такой папки"}},
        {{"restore", "damaged", "--port", phone.Port()},
         {},
         6,
         {"Опись резервной копии повреждена: "}},
        {{"backup", "damaged", "--port", phone.Port()},
         {},
         6,
         {"Опись резервной копии повреждена: "}},
    };
    for (const Case& c : cases) {
        const Outcome r = Cli(c.args, cwd.path(), {}, c.env);
        SCOPED_TRACE(c.args.join(' ').toStdString() + "\n" + r.err.toStdString());
        EXPECT_EQ(r.code, c.code);
        for (const QString& part : c.says) EXPECT_TRUE(r.err.contains(part)) << part.toStdString();
        // One line each: no carriage return, escaped or not, and no time-out for a refusal;
        // nothing of the cable for a port that does not open, no port left unnamed after
        // a search.
        EXPECT_FALSE(r.err.contains("\\x0D") || r.err.contains('\r'));
        if (c.code == 3) EXPECT_FALSE(r.err.contains("кабель"));
        if (c.args.contains("auto")) EXPECT_FALSE(r.err.contains("порт телефона не задан"));
        EXPECT_FALSE(r.err.contains("Время ожидания истекло"));
    }
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false && QFileInfo::exists(fifo)) << "the pipe stays";
    EXPECT_FALSE(QFileInfo::exists(cwd.filePath("out.txt")));
}

// A disk that fills up during a read: the file and the reason are named, nothing is left.
TEST(CliScriptTest, AFullDiskIsNamedWithTheFile) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    WriteFile(phone.User("big.bin"), QByteArray(20000, 'b'));
    QTemporaryDir cwd;
    EnsureApp();
    QProcess p;
    p.setWorkingDirectory(cwd.path());
    // A file size limit stands in for the full disk: past it a write fails as on one.
    p.setChildProcessModifier([] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8192, 8192};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
            {"get", "User/big.bin", "big.bin", "--port", phone.Port()});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 6) << err.toStdString();
    EXPECT_TRUE(err.contains("Невозможно открыть файл big.bin: на диске нет места"))
        << err.toStdString();
    EXPECT_EQ(Entries(cwd.path()), QStringList{});
}

// On a terminal, get draws the file's progress with its total ("из 20 КБ"), not "20/0 КБ".
TEST(CliScriptTest, GetOnATerminalShowsTheTotal) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    WriteFile(phone.User("big.bin"), QByteArray(20000, 'b'));
    WriteFile(phone.User("kept.txt"), "phone");
    QTemporaryDir cwd;
    QDir(cwd.path()).mkdir("sub");
    WriteFile(cwd.filePath("sub/kept.txt"), "mine");
    // What the program draws on a terminal as its standard error, and its exit code.
    const auto drawn = [&](const QStringList& args, int& code) {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        grantpt(master);
        unlockpt(master);
        // Held open here too, so that what the program drew stays readable after it ends.
        const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
        EnsureApp();
        QProcess p;
        p.setWorkingDirectory(cwd.path());
        p.setStandardErrorFile(QString::fromLocal8Bit(ptsname(master)));
        p.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
                QStringList(args) << "--port" << phone.Port());
        EXPECT_TRUE(p.waitForFinished(60000));
        code = p.exitCode();
        QByteArray bytes;
        fcntl(master, F_SETFL, O_NONBLOCK);
        char chunk[4096];
        for (ssize_t n; (n = read(master, chunk, sizeof chunk)) > 0;) bytes.append(chunk, n);
        close(slave);
        close(master);
        return QString::fromUtf8(bytes);
    };
    int code = -1;
    const QString one = drawn({"get", "User/big.bin", "big.bin"}, code);
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(one.contains(" из 20 КБ")) << one.toStdString();
    EXPECT_TRUE(one.startsWith("\r\033[Kbig.bin  ")) << one.toStdString();
    // A message after a progress line starts a line of its own.
    const QString two = drawn({"get", "--raw", "User/big.bin", "User/kept.txt", "sub"}, code);
    EXPECT_EQ(code, 6);
    const qsizetype said = two.indexOf("q7k3fm-cli: ");
    ASSERT_GT(said, 0) << two.toStdString();
    EXPECT_TRUE(two.mid(0, said).endsWith("\r\033[K")) << two.toStdString();
}

// Names with spaces, tabs, Cyrillic letters and quotes come out of --porcelain, -0 and
// --json so that each can be fetched again by the path printed.
TEST(CliScriptTest, PorcelainPathsFetchTheirFilesAgain) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    // The phone takes no control character in a name (the emulator lists none), so the
    // escapes are seen working on the backslash; -0 and --json carry the rest as they are.
    const QStringList names = {"a b.txt", "two  spaces .txt", "Ёлка.txt", "it's.txt",
                               "back\\slash.txt"};
    for (const QString& name : names) WriteFile(phone.User(name), name.toUtf8());
    const QString port = phone.Port();

    const Outcome listing = Cli({"ls", "User", "--porcelain", "--port", port});
    ASSERT_EQ(listing.code, 0) << listing.err.toStdString();
    QStringList seen;
    for (const QByteArray& line : listing.out.split('\n')) {
        if (line.isEmpty()) continue;
        const QList<QByteArray> fields = line.split('\t');
        ASSERT_EQ(fields.size(), 4) << line.toStdString();
        if (fields[0] != "file") continue;
        EXPECT_TRUE(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$")
                        .match(QString::fromUtf8(fields[2]))
                        .hasMatch());
        // Undo the escapes: \\ \t \n \r \xNN.
        QByteArray path;
        const QByteArray& f = fields[3];
        for (qsizetype i = 0; i < f.size(); ++i) {
            if (f[i] != '\\' || i + 1 >= f.size()) {
                path += f[i];
                continue;
            }
            const char e = f[++i];
            if (e == 't')
                path += '\t';
            else if (e == 'n')
                path += '\n';
            else if (e == 'r')
                path += '\r';
            else if (e == 'x') {
                path += static_cast<char>(f.mid(i + 1, 2).toInt(nullptr, 16));
                i += 2;
            } else {
                path += e;
            }
        }
        const Outcome back = Cli({"get", QString::fromUtf8(path), "-", "--port", port});
        EXPECT_EQ(back.code, 0) << path.toStdString() << back.err.toStdString();
        EXPECT_EQ(QString::fromUtf8(back.out), QString::fromUtf8(path).section('/', -1));
        EXPECT_EQ(fields[1].toInt(), back.out.size());
        seen << QString::fromUtf8(path).section('/', -1);
    }
    seen.sort();
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(seen, expected);

    const Outcome nul = Cli({"ls", "User", "-0", "--port", port});
    ASSERT_EQ(nul.code, 0);
    EXPECT_TRUE(nul.out.contains(QByteArray("\t/User/back\\slash.txt") + '\0'));
    EXPECT_FALSE(nul.out.contains('\n'));
    const Outcome json = Cli({"ls", "User", "--json", "--port", port});
    ASSERT_EQ(json.code, 0);
    EXPECT_TRUE(json.out.contains("\"path\":\"/User/Ёлка.txt\"")) << json.out.toStdString();
    EXPECT_TRUE(json.out.contains("\"path\":\"/User/back\\\\slash.txt\""));

    // scan ends with the free space as a record of its own.
    const Outcome scan = Cli({"scan", "--porcelain", "--port", port});
    ASSERT_EQ(scan.code, 0);
    const QList<QByteArray> lines = scan.out.trimmed().split('\n');
    EXPECT_TRUE(lines.back().startsWith("free\t")) << lines.back().toStdString();
    EXPECT_FALSE(scan.out.contains("Свобод"));
}

// Slashes or backslashes, any case when one name fits, and the folder whose own name
// holds a slash.
TEST(CliScriptTest, PathsTakeSlashesAndAnyCase) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    WriteFile(phone.User("Notes.txt"), "notes");
    const QString port = phone.Port();
    EXPECT_EQ(Cli({"get", "user/notes.TXT", "-", "--port", port}).out, "notes");
    EXPECT_EQ(Cli({"get", "E700:\\User\\Notes.txt", "-", "--port", port}).out, "notes");
    EXPECT_EQ(Cli({"ls", "images/onoff/menu images", "--porcelain", "--port", port}).code, 0);
    const Outcome typo = Cli({"get", "User/Note.txt", "-", "--port", port});
    EXPECT_EQ(typo.code, 1);
    EXPECT_TRUE(typo.err.contains("может быть, «Notes.txt»?")) << typo.err.toStdString();
    const Outcome folderTypo = Cli({"ls", "Sounds/My Sound", "--port", port});
    EXPECT_EQ(folderTypo.code, 1);
    EXPECT_TRUE(folderTypo.err.contains("My Sounds")) << folderTypo.err.toStdString();
}

// get keeps a local file unless --force; "-" is standard input and output.
TEST(CliScriptTest, GetKeepsLocalFilesAndPutReadsStandardInput) {
    Phone phone;
    ASSERT_TRUE(phone.emu->Started());
    const QString port = phone.Port();
    QTemporaryDir cwd;
    ASSERT_EQ(
        Cli({"put", "-", "User", "--name", "piped.txt", "--port", port}, cwd.path(), "from a pipe")
            .code,
        0);
    EXPECT_EQ(ReadFile(phone.User("piped.txt")), "from a pipe");
    WriteFile(cwd.filePath("piped.txt"), "mine");
    EXPECT_EQ(Cli({"get", "User/piped.txt", cwd.path(), "--raw", "--port", port}).code, 6);
    EXPECT_EQ(Cli({"get", "User/piped.txt", cwd.path(), "--port", port}).code, 6);
    EXPECT_EQ(ReadFile(cwd.filePath("piped.txt")), "mine");
    EXPECT_EQ(Entries(cwd.path()), QStringList{"piped.txt"}) << "no staging folder left";
    EXPECT_EQ(Cli({"get", "User/piped.txt", cwd.path(), "--force", "--port", port}).code, 0);
    EXPECT_EQ(ReadFile(cwd.filePath("piped.txt")), "from a pipe");
}

// Each kind refuses input of another kind and says what it expected; nothing is written.
TEST(CliScriptTest, ConvertRefusesTheWrongInputAndKeepsOutputs) {
    QTemporaryDir dir;
    WriteFile(dir.filePath("text.txt"), "hello, this is plain text and nothing else\n");
    struct Case {
        const char* kind;
        const char* expected;
    };
    const Case cases[] = {
        {"mel2mmf", "ожидался MEL"},
        {"mmf2mel", "ожидался MMF"},
        {"ani2bmp", "ожидался ANI"},
        {"pic2ani", "ожидался картинка"},
        {"pic2ems", "ожидался картинка"},
        {"ems2bmp", "ожидался EMS-картинка"},
        {"imy2ems", "ожидался мелодия iMelody"},
        {"ems2imy", "ожидался EMS-мелодия"},
        {"jad", "ожидался архив JAR"},
    };
    QDir(dir.path()).mkdir("out");
    for (const Case& c : cases) {
        const Outcome r = Cli({"convert", c.kind, "text.txt", "out"}, dir.path());
        EXPECT_EQ(r.code, 7) << c.kind;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.expected)))
            << c.kind << ": " << r.err.toStdString();
    }
    EXPECT_TRUE(Entries(dir.filePath("out")).isEmpty());

    // The kind from the extensions; an existing output kept unless --force; pipes.
    const QByteArray mmf("MMMD\0\0\0\4abcd", 12);
    WriteFile(dir.filePath("song.mmf"), mmf);
    const Outcome made = Cli({"convert", "song.mmf", "song.mel"}, dir.path());
    ASSERT_EQ(made.code, 0) << made.err.toStdString();
    EXPECT_EQ(ReadFile(dir.filePath("song.mel")).size(), 12 + 32);
    WriteFile(dir.filePath("song.mel"), "mine");
    EXPECT_EQ(Cli({"convert", "song.mmf", "song.mel"}, dir.path()).code, 6);
    EXPECT_EQ(ReadFile(dir.filePath("song.mel")), "mine");
    EXPECT_EQ(Cli({"convert", "--force", "song.mmf", "song.mel"}, dir.path()).code, 0);
    EXPECT_EQ(ReadFile(dir.filePath("song.mel")).size(), 12 + 32);
    const Outcome piped = Cli({"convert", "mmf2mel", "-", "-"}, dir.path(), mmf);
    EXPECT_EQ(piped.code, 0);
    EXPECT_EQ(piped.out.size(), 12 + 32);
    EXPECT_EQ(piped.out.mid(32), mmf);
}

// Ctrl+C during a write: the rest goes spoiled, the phone refuses the file, the program
// ends with 130 and the very next command finds the phone ready.
TEST(CliScriptTest, AnInterruptedPutLeavesThePhoneInStep) {
    Phone phone({"--baud", "115200"});
    ASSERT_TRUE(phone.emu->Started());
    QTemporaryDir dir;
    QByteArray big(60000, '\0');
    for (int i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 251);
    WriteFile(dir.filePath("big.bin"), big);
    EnsureApp();
    QProcess put;
    put.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
              {"put", "--raw", dir.filePath("big.bin"), "User", "--port", phone.Port()});
    ASSERT_TRUE(put.waitForStarted());
    QThread::msleep(1500);
    ::kill(static_cast<pid_t>(put.processId()), SIGINT);
    ASSERT_TRUE(put.waitForFinished(60000));
    EXPECT_EQ(put.exitCode(), 130) << put.readAllStandardError().toStdString();
    QElapsedTimer clock;
    clock.start();
    const Outcome ls = Cli({"ls", "User", "--porcelain", "--port", phone.Port()});
    EXPECT_EQ(ls.code, 0) << ls.err.toStdString();
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_FALSE(ls.out.contains("big.bin"));
    EXPECT_FALSE(QFileInfo::exists(phone.User("big.bin")));

    // A read interrupted ends at once and leaves no partial file.
    WriteFile(phone.User("big.bin"), big);
    QProcess get;
    get.start(QStringLiteral(Q7K3_BIN_DIR "/q7k3fm-cli"),
              {"get", "User/big.bin", dir.filePath("copy.bin"), "--port", phone.Port()});
    ASSERT_TRUE(get.waitForStarted());
    QThread::msleep(1500);
    ::kill(static_cast<pid_t>(get.processId()), SIGINT);
    ASSERT_TRUE(get.waitForFinished(5000));
    EXPECT_EQ(get.exitCode(), 130);
    EXPECT_EQ(Entries(dir.path()), QStringList{"big.bin"}) << "no partial file";
}

// The language follows the locale as the window's does; the stored choice overrides it.
TEST(CliLanguage, AnswersInTheLanguageOfTheLocaleOrTheStoredChoice) {
    QTemporaryDir config;
    WriteFile(config.filePath("Q7K3FileManager.conf"), "[General]\nLanguage=en\n");
    struct Row {
        QString lang;
        QString configHome;  // empty: no stored choice
        const char* unknown;
        const char* commands;
    };
    const Row rows[] = {
        {"en_US.UTF-8", {}, "unknown command «bogus»", "The list of commands: q7k3fm-cli --help"},
        {"C", {}, "unknown command «bogus»", "The list of commands"},
        {"de_DE.UTF-8", {}, "unknown command «bogus»", "The list of commands"},
        {"ru_RU.UTF-8", {}, "неизвестная команда «bogus»", "Список команд: q7k3fm-cli --help"},
        {"ru_RU.UTF-8", config.path(), "unknown command «bogus»", "The list of commands"},
    };
    for (const Row& row : rows) {
        QStringList env{"LANG=" + row.lang, "LANGUAGE=", "LC_ALL=", "LC_MESSAGES=",
                        "Q7K3FM_LANGUAGE="};
        if (!row.configHome.isEmpty()) env << "XDG_CONFIG_HOME=" + row.configHome;
        const Outcome r = Cli({"bogus"}, {}, {}, env);
        SCOPED_TRACE(row.lang.toStdString() + " " + row.configHome.toStdString());
        EXPECT_EQ(r.code, 2);
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.unknown))) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.commands))) << r.err.toStdString();
    }
}

// Every command's help, and a usage error naming the synopsis, read without a Russian word.
TEST(CliLanguage, EveryHelpIsEnglishUnderAnEnglishLocale) {
    const QStringList env{"LANG=en_US.UTF-8", "LANGUAGE=", "LC_ALL=", "LC_MESSAGES=",
                          "Q7K3FM_LANGUAGE="};
    static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
    const Outcome usage = Cli({"--help"}, {}, {}, env);
    EXPECT_TRUE(usage.out.startsWith("Usage: q7k3fm-cli COMMAND")) << usage.out.toStdString();
    EXPECT_FALSE(QString::fromUtf8(usage.out).contains(cyrillic)) << usage.out.toStdString();
    for (const char* command : {"identify", "scan", "ls", "get", "put", "rm", "rename", "java",
                                "backup", "restore", "verify", "ports", "detect", "convert"}) {
        const Outcome r = Cli({"help", command}, {}, {}, env);
        EXPECT_EQ(r.code, 0) << command;
        EXPECT_FALSE(QString::fromUtf8(r.out).contains(cyrillic)) << r.out.toStdString();
        EXPECT_TRUE(r.out.contains("Exit codes:")) << command;
    }
    const Outcome missing = Cli({"get"}, {}, {}, env);
    EXPECT_EQ(missing.code, 2);
    EXPECT_TRUE(missing.err.contains("missing arguments: get [OPTIONS] FOLDER\\FILE... LOCAL|-"))
        << missing.err.toStdString();
    EXPECT_TRUE(missing.err.contains("see: q7k3fm-cli help get")) << missing.err.toStdString();
}

}  // namespace
