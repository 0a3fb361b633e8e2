// The settings store: what a first run, hand-edited and damaged files and the favourites
// rules leave in the port, the channel, the flags and the file.

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <cstdlib>

#include "link/MemorySerialDevice.h"
#include "link/SerialPort.h"
#include "settings/SettingsStore.h"
#include "settings/Fakes.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

using q7k3::test::ScriptedUi;
using test::FakePort;
using test::FileText;
using test::HasLine;

class SettingsStoreTest : public ::testing::Test {
protected:
    QString Ini() const { return m_dir.path() + "/" + m_name; }
    // Each hand-written file gets a name of its own: QSettings keeps what it read of a
    // file for the whole process and would not see a rewrite within the same second.
    void WriteIni(const std::string& body) {
        m_name = QStringLiteral("hand%1.conf").arg(++m_written);
        test::WriteFile(Ini(), "[General]\n" + body);
    }
    void Load() {
        SettingsStore store(Ini().toStdString());
        LoadSettings(store, Live());
    }
    LiveSettings Live() { return {&port, &pollStep, &flags, &favs, &lastPath}; }

    QTemporaryDir m_dir;
    QString m_name = QStringLiteral("Q7K3FileManager.conf");
    int m_written = 0;
    FakePort port;
    int pollStep = 77;
    AppFlags flags;
    Favourites favs;
    std::string lastPath = "unset";
};

TEST_F(SettingsStoreTest, FirstRunWithAnEmptyConfigDirectoryAppliesTheDefaults) {
    ASSERT_EQ(setenv("XDG_CONFIG_HOME", m_dir.path().toUtf8().constData(), 1), 0);
    flags.IRDAReq = flags.MelConvertion = flags.CompileJavaEnabled = false;
    flags.HiddenFiles = true;
    flags.Mode = FolderMode::Pro;
    favs = {{"stale"}, {"/stale"}};

    SettingsStore store;
    EXPECT_EQ(store.Location(), Ini().toStdString());
    LoadSettings(store, Live());

    EXPECT_EQ(port.Name, DefaultPortName());
    EXPECT_EQ(port.Rate, 115200);
    EXPECT_TRUE(port.Dtr);
    EXPECT_FALSE(port.Manual);  // system line settings: the flow settings have no effect
    EXPECT_EQ(port.Hw, 2);
    EXPECT_EQ(port.Sw, 0);
    EXPECT_TRUE(port.LineStatus);
    EXPECT_EQ(port.Polling, 5);
    EXPECT_EQ(pollStep, 1);
    EXPECT_TRUE(flags.IRDAReq);
    EXPECT_TRUE(flags.MelConvertion);
    EXPECT_FALSE(flags.HiddenFiles);
    EXPECT_EQ(flags.Mode, FolderMode::Normal);
    EXPECT_TRUE(flags.CompileJavaEnabled);
    EXPECT_TRUE(favs.Alias.empty());
    EXPECT_TRUE(favs.Path.empty());
    EXPECT_EQ(lastPath, QDir::homePath().toStdString());
    // The start-up tells a first run by the missing port.
    EXPECT_FALSE(store.Contains("ComPort"));
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(SettingsStoreTest, StoredStringsAreReadAsNumbersAndFlags) {
    WriteIni(
        "ComPort=/dev/ttyUSB3\nBaudRate=230400\nEnableDTROnOpen=0\nPortSettings=2\n"
        "HardwareFlow=1\nSoftwareFlow=1\nCheckLineStatus=0\nLastPath=/srv/music\n"
        "IRDAReq=0\nMelConvertion=-1\nSleepTime=1\nHiddenFiles=1\nMODE=2\n");
    Load();
    EXPECT_EQ(port.Name, "/dev/ttyUSB3");
    EXPECT_EQ(port.Rate, 230400);
    EXPECT_FALSE(port.Dtr);
    EXPECT_TRUE(port.Manual);  // any non-zero number is true
    EXPECT_EQ(port.Hw, 1);
    EXPECT_EQ(port.Sw, 1);
    EXPECT_FALSE(port.LineStatus);
    EXPECT_EQ(lastPath, "/srv/music");
    EXPECT_FALSE(flags.IRDAReq);
    EXPECT_TRUE(flags.MelConvertion);
    EXPECT_EQ(port.Polling, 10);
    EXPECT_EQ(pollStep, 1);
    EXPECT_TRUE(flags.HiddenFiles);
    EXPECT_EQ(flags.Mode, FolderMode::Pims);
    EXPECT_FALSE(flags.CompileJavaEnabled);  // PIMS
}

TEST_F(SettingsStoreTest, BadValuesTakeTheDefaultAndOutOfRangeOnesChangeNothing) {
    WriteIni(
        "BaudRate=fast\nEnableDTROnOpen=yes\nCheckLineStatus=\nIRDAReq=1x\nSleepTime=2.0\n"
        "HiddenFiles=99999999999999999999\nHardwareFlow=3\nSoftwareFlow=-1\nMODE=7\n");
    flags.HiddenFiles = true;
    flags.Mode = FolderMode::Pro;
    Load();
    EXPECT_EQ(port.Rate, 115200);
    EXPECT_TRUE(port.Dtr);
    EXPECT_TRUE(port.LineStatus);
    EXPECT_TRUE(flags.IRDAReq);
    EXPECT_EQ(port.Polling, 5);
    EXPECT_EQ(pollStep, 1);
    EXPECT_FALSE(flags.HiddenFiles);
    // Flows and mode outside their lists leave the port and the flags as they were.
    EXPECT_EQ(port.Hw, 1);
    EXPECT_EQ(port.Sw, 1);
    EXPECT_EQ(flags.Mode, FolderMode::Pro);

    WriteIni("SleepTime=3\n");
    pollStep = 77;
    Load();
    EXPECT_EQ(port.Polling, 5);
    EXPECT_EQ(pollStep, 77);
}

TEST_F(SettingsStoreTest, FavouritesLoadTheirCountWithMissingValuesEmpty) {
    WriteIni("FavCount=2\nFavAlias0=Music\nFavPath0=/srv/music\nFavPath1=/srv/pics\n");
    Load();
    EXPECT_EQ(favs.Alias, (std::vector<std::string>{"Music", ""}));
    EXPECT_EQ(favs.Path, (std::vector<std::string>{"/srv/music", "/srv/pics"}));

    WriteIni("FavCount=-3\nFavAlias0=x\n");
    Load();
    EXPECT_TRUE(favs.Alias.empty());

    WriteIni("FavCount=2000000000\n");
    Load();
    EXPECT_EQ(favs.Alias.size(), static_cast<size_t>(kMaxFavourites));
}

TEST_F(SettingsStoreTest, SavingFewerFavouritesLeavesTheStaleValuesInPlace) {
    {
        SettingsStore store(Ini().toStdString());
        Favourites three{{"a", "b", "c"}, {"/a", "/b", "/c"}};
        ASSERT_TRUE(SaveOnClose(store, "/home/first", three));
        Favourites one{{"a2"}, {"/a"}};
        ASSERT_TRUE(SaveOnClose(store, "/home/second", one));
    }
    const std::string text = FileText(Ini());
    EXPECT_TRUE(HasLine(text, "FavCount=1"));
    EXPECT_TRUE(HasLine(text, "FavAlias0=a2"));
    EXPECT_TRUE(HasLine(text, "FavAlias1=b"));
    EXPECT_TRUE(HasLine(text, "FavPath2=/c"));
    EXPECT_TRUE(HasLine(text, "LastPath=/home/second"));
    Load();
    EXPECT_EQ(favs.Alias, (std::vector<std::string>{"a2"}));
    EXPECT_EQ(lastPath, "/home/second");
}

TEST_F(SettingsStoreTest, SavingNoFavouritesWritesACountOfZeroAndNothingElse) {
    {
        SettingsStore store(Ini().toStdString());
        ASSERT_TRUE(SaveOnClose(store, "/home/u", Favourites{}));
    }
    const std::string text = FileText(Ini());
    EXPECT_TRUE(HasLine(text, "[General]"));
    EXPECT_TRUE(HasLine(text, "FavCount=0"));
    EXPECT_EQ(text.find("FavAlias"), std::string::npos);
    EXPECT_EQ(text.find("FavPath"), std::string::npos);
}

TEST_F(SettingsStoreTest, PathsWithCommasAndCyrillicComeBackUnchanged) {
    const std::string path = "/home/u/Музыка, старое";
    {
        SettingsStore store(Ini().toStdString());
        ASSERT_TRUE(SaveOnClose(store, path, Favourites{{"Моя, музыка"}, {path}}));
    }
    Load();
    EXPECT_EQ(lastPath, path);
    EXPECT_EQ(favs.Alias, (std::vector<std::string>{"Моя, музыка"}));

    // Edited by hand without quotes, the value still reads as the one string it was.
    WriteIni("LastPath=/srv/a,b\n");
    Load();
    EXPECT_EQ(lastPath, "/srv/a,b");
}

TEST_F(SettingsStoreTest, AFileThatCannotBeWrittenIsReportedOnceAndTheValuesStay) {
    // A regular file where the directory should be: not even root can write below it.
    test::WriteFile(m_dir.path() + "/blocker", "x");
    SettingsStore store((m_dir.path() + "/blocker/Q7K3FileManager.conf").toStdString());
    test::ScriptedUi prompts;
    store.SetPrompts(&prompts);

    EXPECT_FALSE(SaveOnClose(store, "/home/u", Favourites{{"a"}, {"/a"}}));
    store.WriteInt("SleepTime", 2);
    EXPECT_FALSE(store.Flush());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, Msg(kMsgSettingsNotSaved));
    EXPECT_EQ(prompts.shown[0].Caption, "Ошибка");
    EXPECT_EQ(prompts.shown[0].Icon, BoxIcon::Error);
    // Still in force for the rest of the run.
    EXPECT_EQ(store.ReadInt("SleepTime", 0), 2);
    EXPECT_EQ(store.ReadString("FavAlias0", ""), "a");
}

TEST_F(SettingsStoreTest, TheDriverItselfTakesTheLoadedValues) {
    SerialPort driver(std::make_unique<MemorySerialDevice>());
    DriverSettings<SerialPort> target(driver);
    LoadSettings(SettingsStore(Ini().toStdString()),
                 {&target, &pollStep, &flags, nullptr, nullptr});
    EXPECT_EQ(driver.PortName(), DefaultPortName());
    EXPECT_EQ(driver.BaudRateValue(), 115200u);
    EXPECT_EQ(driver.HwFlow(), hfRTSCTS);
    EXPECT_EQ(driver.SwFlow(), sfNONE);
    EXPECT_TRUE(driver.EnableDTROnOpen());
    EXPECT_TRUE(driver.CheckLineStatus());
    EXPECT_FALSE(driver.SettingsMode());
    EXPECT_EQ(driver.PollingDelay(), 5);

    WriteIni("ComPort=/dev/ttyACM1\nBaudRate=-9600\nHardwareFlow=0\nSoftwareFlow=1\nSleepTime=2\n");
    LoadSettings(SettingsStore(Ini().toStdString()),
                 {&target, &pollStep, &flags, nullptr, nullptr});
    EXPECT_EQ(driver.PortName(), "/dev/ttyACM1");
    EXPECT_EQ(driver.BaudRateValue(), 115200u);
    EXPECT_EQ(driver.HwFlow(), hfNONE);
    EXPECT_EQ(driver.SwFlow(), sfXONXOFF);
    EXPECT_EQ(driver.PollingDelay(), 50);
    EXPECT_EQ(pollStep, 10);
}

}  // namespace
}  // namespace q7k3
