// The window against a hostile line: the start (the whole scan again), F5 to the phone and
// F5 to the computer, each under a fault. Every case ends within its deadline with the
// window usable again, the local folder and the phone's files intact.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "localpane/LocalDirView.h"
#include "session/PhoneSession.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/Texts.h"
#include "window/WindowOnPhone.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ReadLocal;
using q7k3::test::WaitUntil;
using q7k3::test::WindowOnPhone;
using q7k3::test::WriteLocal;

namespace {

// Generous, as in the command line's matrix: the whole scan again holds many exchanges.
constexpr int kDeadlineMs = 40000;

const std::string kPhoneFile = std::string(5000, 'p') + "#OK#\r\n" + std::string(1000, 'q');
const std::string kLocalFile = std::string(3000, 'l') + "##>\r\n";

struct WindowFault {
    const char* name;
    std::function<void(PhoneEmulator&)> apply;
    bool harmless;  // the command must succeed all the same
};

const std::vector<WindowFault>& Faults() {
    static const std::vector<WindowFault> faults = {
        {"silent", [](PhoneEmulator& p) { p.FallSilentAfter(0); }, false},
        {"trickle", [](PhoneEmulator& p) { p.TrickleAfter(0, 50); }, false},
        {"flood", [](PhoneEmulator& p) { p.FloodAfter(0); }, false},
        {"endless_read", [](PhoneEmulator& p) { p.EndlessRead(true); }, false},
        {"prompt_storm", [](PhoneEmulator& p) { p.PromptStorm(true); }, false},
        {"bad_crc", [](PhoneEmulator& p) { p.CorruptReadCrc(true); }, false},
        {"unsolicited", [](PhoneEmulator& p) { p.UnsolicitedAnywhere("RING", 200); }, true},
        {"split", [](PhoneEmulator& p) { p.SplitAnswers(1); }, true},
    };
    return faults;
}

enum class Act { Start, F5ToPhone, F5ToComputer };
const char* ActName(Act a) {
    return a == Act::Start ? "start" : a == Act::F5ToPhone ? "F5_to_phone" : "F5_to_computer";
}

class WindowUnderFault : public ::testing::TestWithParam<std::tuple<Act, size_t>>,
                         public WindowOnPhone<> {
protected:
    void TearDown() override { Close(); }

    void Boot() {
        StartPhone();
        ASSERT_TRUE(phone->PutFile("B", "phone.bin", kPhoneFile));
        ASSERT_TRUE(phone->PutFile("B", "other.txt", "other"));
        ASSERT_TRUE(WriteLocal(localDir.filePath("local.bin"), kLocalFile));
        StoreSettings();
        ShowWindow();
        ASSERT_TRUE(WaitUntil([&] { return form->PhoneReady() && !form->Busy(); }, 30000));
        ASSERT_TRUE(WaitUntil([&] { return form->Computer().List()->Loaded(); }));
    }
};

TEST_P(WindowUnderFault, EndsInTimeUsableWithEveryFileIntact) {
    const Act act = std::get<0>(GetParam());
    const WindowFault& fault = Faults()[std::get<1>(GetParam())];
    Boot();
    if (act != Act::Start) {
        form->Phone().List()->setCurrentItem(
            form->Phone().List()->FindItem(QStringLiteral("User")));
        form->OpenPhoneItem();
        ASSERT_TRUE(form->Phone().List()->Names().contains(QStringLiteral("phone.bin")));
    }
    fault.apply(*phone);
    // Boxes are answered as they come; a question is declined.
    prompts.answers.assign(8, false);
    prompts.dialogAnswers.assign(4, false);

    QElapsedTimer clock;
    clock.start();
    if (act == Act::Start) {
        form->ActivatePhonePane();
        form->RefreshClick();
    } else if (act == Act::F5ToPhone) {
        form->Computer().List()->clearSelection();
        ASSERT_TRUE(form->Computer().List()->SelectName(QStringLiteral("local.bin"), true));
        form->ActivateComputerPane();
        QTest::keyClick(form->Computer().List(), Qt::Key_F5);
    } else {
        form->Phone().List()->clearSelection();
        QTreeWidgetItem* item = form->Phone().List()->FindItem(QStringLiteral("phone.bin"));
        ASSERT_NE(item, nullptr);
        item->setSelected(true);
        form->Phone().List()->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
        form->ActivatePhonePane();
        QTest::keyClick(form->Phone().List(), Qt::Key_F5);
    }
    EXPECT_TRUE(WaitUntil([&] { return !form->Busy(); }, kDeadlineMs));
    EXPECT_LT(clock.elapsed(), kDeadlineMs) << ActName(act) << " under " << fault.name;
    EXPECT_FALSE(form->Progress()->isVisible()) << "the window is usable again";
    if (fault.harmless) EXPECT_TRUE(prompts.shown.empty()) << prompts.shown.front().Text;

    phone->ClearFaults();
    // The local file as it was; a fetched copy whole or absent.
    EXPECT_EQ(ReadLocal(localDir.filePath("local.bin")), kLocalFile);
    const std::string fetched = ReadLocal(localDir.filePath("phone.bin"));
    EXPECT_TRUE(fetched == "<missing>" || fetched == kPhoneFile) << "a damaged copy";
    if (act == Act::F5ToComputer && fault.harmless) EXPECT_EQ(fetched, kPhoneFile);
    // The phone's files as they were; a sent file whole or absent.
    EXPECT_EQ(phone->GetFile("B", "phone.bin"), kPhoneFile);
    EXPECT_EQ(phone->GetFile("B", "other.txt"), "other");
    const auto sent = phone->GetFile("B", "local.bin");
    if (sent) EXPECT_EQ(*sent, kLocalFile) << "a damaged file on the phone";
    if (act == Act::F5ToPhone && fault.harmless) EXPECT_TRUE(sent.has_value());
    const QStringList left =
        QDir(localDir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : left)
        EXPECT_TRUE(name == "local.bin" || name == "phone.bin") << "a stray file " << S(name);
}

std::string CaseName(const ::testing::TestParamInfo<WindowUnderFault::ParamType>& info) {
    return std::string(ActName(std::get<0>(info.param))) + "_" +
           Faults()[std::get<1>(info.param)].name;
}

INSTANTIATE_TEST_SUITE_P(Window, WindowUnderFault,
                         ::testing::Combine(::testing::Values(Act::Start, Act::F5ToPhone,
                                                              Act::F5ToComputer),
                                            ::testing::Range<size_t>(0, 8)),
                         CaseName);

}  // namespace
