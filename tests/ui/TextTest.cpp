#include <gtest/gtest.h>

#include <string>

#include <QTemporaryDir>
#include <cerrno>

#include "base/LocalProblem.h"
#include "base/Messages.h"
#include "base/Text.h"

using namespace q7k3;

namespace {

TEST(Utf8Cuts, NeverSplitACharacterAndCountMalformedBytesAsOne) {
    const std::string name = "Мелодия.mel";  // 7 two-byte letters, then ASCII
    EXPECT_EQ(Utf8Length(name), 11u);
    EXPECT_EQ(Utf8Left(name, 3), "Мел");
    EXPECT_EQ(Utf8Left(name, 100), name);
    // 5 bytes fit two letters; the third would need a sixth byte.
    EXPECT_EQ(Utf8LeftBytes(name, 5), "Ме");
    EXPECT_EQ(Utf8LeftBytes(name, 0), "");
    EXPECT_EQ(Utf8DropRight(name, 4), "Мелодия");
    EXPECT_EQ(Utf8DropRight(name, 50), "");

    // A phone sends what it likes: a lone lead byte, a cut sequence, stray continuations.
    const std::string broken = std::string("a\xD0", 2) + "\x80\x80" + "\xE2\x82";
    // "a", one whole letter, a stray continuation, and the two bytes of a cut sequence.
    EXPECT_EQ(Utf8Length(broken), 5u);
    EXPECT_EQ(Utf8LeftBytes(broken, 2), "a");
    for (size_t n = 0; n <= broken.size() + 1; ++n) {
        const std::string cut = Utf8LeftBytes(broken, n);
        EXPECT_LE(cut.size(), n);
        EXPECT_EQ(broken.compare(0, cut.size(), cut), 0);
    }
}

TEST(Cp1251, RussianRoundTripsAndWhatItCannotHoldBecomesAQuestionMark) {
    const std::string russian = "Ёжик в тумане: АБВ абв ё №";
    const std::string cp = Utf8ToCp1251(russian);
    EXPECT_EQ(cp.size(), Utf8Length(russian));
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xA8);  // Ё
    EXPECT_EQ(Cp1251ToUtf8(cp), russian);
    EXPECT_EQ(Utf8ToCp1251("日本"), "??");
    EXPECT_EQ(Utf8ToCp1251(std::string("x\xFFy", 3)), "x?y");
    // 0x98 is the one byte the code page leaves unassigned.
    EXPECT_EQ(Cp1251ToUtf8(std::string("\x98", 1)), "?");
}

TEST(SafeFileName, NoSeparatorsControlsOrDirectoryNames) {
    EXPECT_EQ(SafeFileName("tune.mmf"), "tune.mmf");
    EXPECT_EQ(SafeFileName("../../etc/passwd"), ".._.._etc_passwd");
    EXPECT_EQ(SafeFileName("a\\b"), "a_b");
    EXPECT_EQ(SafeFileName(std::string("a\0b\r\n", 5)), "a_b__");
    EXPECT_EQ(SafeFileName(""), "_");
    EXPECT_EQ(SafeFileName("."), "_.");
    EXPECT_EQ(SafeFileName(".."), "_..");
    EXPECT_EQ(SafeFileName("Фото 1.jpg"), "Фото 1.jpg");
}

TEST(GetValuesString, TheLineFromTheKeyWithItsLineEnd) {
    const std::string text = "A: 1\r\nB: 2";
    EXPECT_EQ(GetValuesString(text, "A:"), "A: 1\r\n");
    EXPECT_EQ(GetValuesString(text, "B:"), "B: 2\r\n");
    EXPECT_EQ(GetValuesString("MIDlet-Name: Тетрис\nMIDlet-Version: 1.0\n", "Version"),
              "Version: 1.0\n");
    EXPECT_EQ(GetValuesString(text, "C:"), "");
}

TEST(PluralForm, RussianCountsTakeTheirForm) {
    const struct {
        int64_t n;
        const char* form;
    } rows[] = {{1, "файл"},    {2, "файла"},    {4, "файла"},   {5, "файлов"},
                {11, "файлов"}, {12, "файлов"},  {14, "файлов"}, {21, "файл"},
                {22, "файла"},  {111, "файлов"}, {0, "файлов"}};
    for (const auto& row : rows)
        EXPECT_EQ(PluralForm(row.n, "файл|файла|файлов"), row.form) << row.n;
    EXPECT_EQ(PluralForm(3, "files"), "files");
}

// One file's line, as the progress dialog and the command line both draw it.
TEST(TransferLine, BytesThenRateAndTimeLeftOnceTheyCanBeTold) {
    const struct {
        int64_t done, total, ms;
        const char* line;
    } rows[] = {{33 * 1024, 293 * 1024, 2900, "33 из 293 КБ 11.4 КБ/сек, осталось 0:23"},
                {0, 293 * 1024, 0, "0 из 293 КБ"},
                {5000, 0, 50, "4 КБ"},  // no size known, no rate yet
                {293 * 1024, 293 * 1024, 26000, "293 из 293 КБ 11.3 КБ/сек"}};
    for (const auto& row : rows)
        EXPECT_EQ(TransferLine(row.done, row.total, row.ms), row.line) << row.done;
}

// The reasons a root-run test cannot provoke (a read-only disk, missing rights) come from
// the failed call's errno; a full disk is told whichever errno the system uses for it.
TEST(LocalProblem, TheCallsErrnoNamesWhatThePathCannotShow) {
    QTemporaryDir dir;
    const std::string file = dir.filePath("a.txt").toStdString();
    const std::string folder = dir.path().toStdString();
    const struct {
        int err;
        std::string reason;
    } rows[] = {{EROFS, Msg(kMsgDiskReadOnly)},
                {EACCES, Msg(kMsgNoWriteRights) + folder},
                {ENOSPC, Msg(kMsgDiskFull)},
                {EDQUOT, Msg(kMsgDiskFull)},
                {EFBIG, Msg(kMsgDiskFull)}};
    for (const auto& row : rows)
        EXPECT_EQ(LocalProblem(file, LocalAccess::Write, row.err), row.reason) << row.err;
    EXPECT_EQ(LocalProblem(file, LocalAccess::Read), Msg(kMsgNoSuchLocalFile));
    EXPECT_EQ(FolderProblem(folder + "/x/y", EROFS), Msg(kMsgDiskReadOnly));
}

}  // namespace
