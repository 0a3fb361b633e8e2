// Finding the phone through the window: the stored port is silent, the real settings dialog
// offers the search, "Найти телефон" finds and selects the phone (or lists several to choose
// from), Start connects; and a cable plugged in while no phone is connected is identified
// and offered, its stable name stored.

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "ports/widgets/PhoneSearchDialog.h"
#include "settings/widgets/SettingsDialog.h"
#include "session/PhoneSession.h"
#include "base/Messages.h"
#include "window/MainWindow.h"
#include "window/PlugWatch.h"
#include "window/ProgressDialog.h"
#include "window/Texts.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::emu::EmulatorConfig;
using q7k3::test::ModalDriver;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

namespace fs = std::filesystem;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

EmulatorConfig Config(const std::string& model, int silentAfter = -1) {
    EmulatorConfig config;
    config.Model = model;
    config.Content = emu::Preset::Demo;
    config.Fault.SilentAfter = silentAfter;
    return config;
}

struct PhoneSearchWindow : ::testing::Test {
    QTemporaryDir configDir;
    std::vector<std::unique_ptr<PhoneEmulator>> phones;
    std::unique_ptr<SettingsStore> store;
    AppFlags flags;
    ScriptedUi prompts;
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<PhoneLink> link;
    std::unique_ptr<DriverSettings<SerialPort>> port;
    std::unique_ptr<PhoneSession> session;
    std::unique_ptr<SettingsDialog> settings;

    void TearDown() override {
        qunsetenv("Q7K3FM_SEARCH_PORTS");
        if (form) form->CloseQuery();
        settings.reset();
        session.reset();
        form.reset();
        port.reset();
        link.reset();
        for (auto& phone : phones) phone->Stop();
    }

    std::string AddPhone(const EmulatorConfig& config) {
        phones.push_back(std::make_unique<PhoneEmulator>(config));
        EXPECT_TRUE(phones.back()->Start()) << phones.back()->Error();
        return phones.back()->SlavePath();
    }

    // The program as its entry builds it, with the real settings dialog, its port list
    // holding the stored port alone.
    void Build(const std::string& storedPort) {
        store = std::make_unique<SettingsStore>(S(configDir.filePath("Q7K3FileManager.conf")));
        store->WriteString("ComPort", storedPort);
        ASSERT_TRUE(store->Flush());
        form = std::make_unique<MainWindow>(flags, prompts);
        link = std::make_unique<PhoneLink>();
        port = std::make_unique<DriverSettings<SerialPort>>(link->Port);
        session =
            std::make_unique<PhoneSession>(*link, flags, prompts, *form->Progress(), *form, *form);
        settings = std::make_unique<SettingsDialog>(form.get());
        settings->Bind({store.get(), port.get(), &link->Channel.PollStep, &flags, &prompts,
                        [storedPort] {
                            return PortScan{{storedPort}, 1};
                        },
                        [] {}});
        form->AttachCore({link.get(), session.get(), store.get(), port.get(),
                          [this](ConnectionAnswer answered) { settings->Open(answered); }});
        form->OfferSearch = [this](const std::string& silent) { settings->OfferSearch(silent); };
    }

    // Presses "Найти телефон" and waits for the search to end.
    PhoneSearchDialog* Search(QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindPhoneBtn")),
                          Qt::LeftButton);
        PhoneSearchDialog* search = settings->Search();
        EXPECT_TRUE(search && search->Running());
        EXPECT_TRUE(WaitUntil([&] { return search && !search->Running(); }, 30000));
        return search;
    }
};

TEST_F(PhoneSearchWindow, ASilentStoredPortOffersTheSearchThatFindsAndSelectsThePhone) {
    const std::string silent = AddPhone(Config("SGH-E700", 0));
    const std::string refused = AddPhone(Config("SGH-D500"));
    const std::string e700 = AddPhone(Config("SGH-E700"));
    const std::string x600 = AddPhone(Config("SGH-X600"));
    Build(silent);

    std::string offer;
    QStringList rows;
    std::string status, selected, chosen;
    ModalDriver driver(
        [&](QWidget* dialog) {
            offer = dialog->findChild<QLabel*>(QStringLiteral("SearchOffer"))->isVisible()
                        ? settings->OfferText().toStdString()
                        : "";
            auto* ports = dialog->findChild<QComboBox*>(QStringLiteral("SelCom"));
            // One phone among the ports: it is selected.
            qputenv("Q7K3FM_SEARCH_PORTS", (silent + ":" + refused + ":" + e700).c_str());
            PhoneSearchDialog* search = Search(dialog);
            rows = search->Rows();
            selected = ports->currentText().toStdString();
            // Two: the user chooses.
            qputenv("Q7K3FM_SEARCH_PORTS", (e700 + ":" + x600).c_str());
            search = Search(dialog);
            status = search->Status().toStdString();
            auto* list = search->findChild<QListWidget*>(QStringLiteral("PhoneSearchList"));
            list->setCurrentRow(1);
            QTest::mouseClick(search->findChild<QPushButton*>(QStringLiteral("PhoneSearchChoose")),
                              Qt::LeftButton);
            chosen = ports->currentText().toStdString();
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Start")),
                              Qt::LeftButton);
        },
        60000);
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return driver.Acted(); }, 60000));
    ASSERT_TRUE(WaitUntil([&] { return session->PhoneReady(); }, 30000));

    ASSERT_GE(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].Text, SilentPhoneText(silent));
    EXPECT_EQ(offer, Msg(kMsgStoredPortSilent) + silent + Msg(kMsgTrySearch));
    EXPECT_EQ(rows, (QStringList{Q(silent + " " + Msg(kMsgFoundSilent)),
                                 Q(refused + " " + Msg(kMsgFoundOtherModel) + "SGH-D500"),
                                 Q(e700 + " " + Msg(kMsgFoundPhone) + "SGH-E700, 115200" +
                                   Msg(kMsgBitsPerSecond))}));
    EXPECT_EQ(selected, e700);
    EXPECT_EQ(status, Msg(kMsgSeveralPhones));
    EXPECT_EQ(chosen, x600);
    EXPECT_EQ(session->PhoneModel(), "SGH-X600");
    EXPECT_EQ(store->ReadString("ComPort", ""), x600);
}

TEST_F(PhoneSearchWindow, ACablePluggedInWhileNoPhoneIsConnectedIsOfferedAndItsStableNameKept) {
    const std::string silent = AddPhone(Config("SGH-E700", 0));
    const std::string e800 = AddPhone(Config("SGH-E800"));
    Build(silent);
    QTemporaryDir devDir;
    const fs::path dev = fs::path(devDir.path().toStdString());
    const fs::path byId = dev / "serial/by-id";

    ModalDriver driver([](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CancelSetBtn")),
                          Qt::LeftButton);
    });
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return driver.Acted() && !settings->isVisible(); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy(); }));
    ASSERT_FALSE(session->PhoneReady());

    SearchSources sources;
    sources.ByIdDir = byId.string();
    form->Plugs().Watch({dev.string(), byId.string(), 50}, sources);
    prompts.yesNo = {true};
    fs::create_symlink(e800, dev / "ttyACM3");
    fs::create_directories(byId);
    const fs::path stable = byId / "usb-SGH_E800_42-if01";
    fs::create_symlink(e800, stable);
    ASSERT_TRUE(WaitUntil([&] { return session->PhoneReady(); }, 30000));

    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[1].Text, Msg(kMsgPluggedPhone) + "SGH-E800 (" +
                                         (dev / "ttyACM3").string() + ")" + Msg(kMsgConnectToIt));
    EXPECT_TRUE(prompts.shown[1].Question);
    EXPECT_EQ(store->ReadString("ComPort", ""), stable.string());
    EXPECT_EQ(link->Port.PortName(), stable.string());
}

}  // namespace

namespace {

// How long a call keeps the window's thread, in ms.
template <class F>
qint64 HeldFor(F call) {
    QElapsedTimer clock;
    clock.start();
    call();
    return clock.elapsed();
}

}  // namespace

// A search holds its ports for up to a second after it was told to stop: Connect, and Start
// in the settings dialog, wait for that without holding the window, then connect.
TEST_F(PhoneSearchWindow, ConnectAndStartDuringASearchConnectOnceItsPortsAreFree) {
    const std::string silent = AddPhone(Config("SGH-E700", 0));
    const std::string e800 = AddPhone(Config("SGH-E800"));
    Build(silent);
    QTemporaryDir devDir;
    const fs::path dev = fs::path(devDir.path().toStdString());

    // Start with a silent port: its dialog is cancelled, and the window has no phone.
    ModalDriver cancel([](QWidget* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("CancelSetBtn")),
                          Qt::LeftButton);
    });
    form->show();
    ASSERT_TRUE(WaitUntil([&] { return cancel.Acted() && !settings->isVisible(); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !form->Busy() && !session->Busy(); }));

    // A silent device is plugged in: its search takes seconds. Connect meanwhile.
    form->Plugs().Watch({dev.string(), (dev / "serial/by-id").string(), 50});
    fs::create_symlink(silent, dev / "ttyACM5");
    ASSERT_TRUE(WaitUntil([&] { return form->Plugs().Searching(); }, 10000));
    port->SetPortName(e800);
    EXPECT_LT(HeldFor([&] { form->ConnectClick(); }), 100);
    ASSERT_TRUE(WaitUntil([&] { return session->PhoneReady(); }, 20000));
    EXPECT_EQ(session->PhoneModel(), "SGH-E800");

    // The settings dialog's own search, and Start pressed while it runs.
    qint64 held = -1;
    bool stillOpen = false;
    ModalDriver start([&](QWidget* dialog) {
        settings->SelectPhone(PortFinding{e800, "", PortAnswer::Phone, "SGH-E800", 115200, {}});
        qputenv("Q7K3FM_SEARCH_PORTS", silent.c_str());
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("FindPhoneBtn")),
                          Qt::LeftButton);
        ASSERT_TRUE(settings->Search() && settings->Search()->Running());
        held = HeldFor([&] {
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Start")),
                              Qt::LeftButton);
        });
        stillOpen = settings->isVisible();
    });
    form->SettingsClick();
    ASSERT_TRUE(WaitUntil([&] { return start.Acted(); }, 20000));
    ASSERT_TRUE(WaitUntil([&] { return !settings->isVisible() && session->PhoneReady(); }, 20000));
    EXPECT_GE(held, 0);
    EXPECT_LT(held, 100);
    EXPECT_TRUE(stillOpen) << "closed before the search let go of its ports";
    EXPECT_EQ(session->PhoneModel(), "SGH-E800");
    EXPECT_EQ(store->ReadString("ComPort", ""), e800);
    EXPECT_TRUE(prompts.shown.size() == 1u) << prompts.shown.back().Text;
}
