// The preview window on the offscreen platform: computer files, phone files fetched
// through the session from the emulator, the melody player with its sound captured by a
// fake output, and F3 in the main window.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "emulator/PhoneEmulator.h"
#include "link/PhoneLink.h"
#include "settings/SettingsStore.h"
#include "localpane/LocalDirView.h"
#include "media/EmsPicture.h"
#include "media/MediaTestSupport.h"
#include "media/Melody.h"
#include "media/Picture.h"
#include "session/PhoneSession.h"
#include "preview/SmafEngine.h"
#include "media/smaf/SmafRender.h"
#include "preview/widgets/PreviewWindow.h"
#include "base/Messages.h"
#include "window/MainWindow.h"
#include "window/PhoneListView.h"
#include "window/ProgressDialog.h"
#include "window/Texts.h"
#include "window/ViewCommand.h"
#include "window/WindowTestSupport.h"

using namespace q7k3;
using q7k3::test::ScriptedUi;
using q7k3::test::WaitUntil;

namespace {

const std::string kMelody = q7k3::test::kDataDir + "/dlunch_midi.mmf";

// A sound output that plays until the test ends the melody.
struct FakeSound {
    int starts = 0;
    int stops = 0;
    std::function<void()> finish;
};

class FakeOutput final : public smaf::SoundOutput {
public:
    explicit FakeOutput(std::shared_ptr<FakeSound> sound) : m_sound(std::move(sound)) {}
    bool Start(smaf::PcmStream&, std::function<void()> finished) override {
        ++m_sound->starts;
        m_sound->finish = std::move(finished);
        return true;
    }
    void Stop() override {
        ++m_sound->stops;
        m_sound->finish = nullptr;
    }

private:
    std::shared_ptr<FakeSound> m_sound;
};

QByteArray Picture(const char* format, int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(QColor(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

std::string Slurp(const std::string& path) {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

std::string MelOf(const std::string& mmf) {
    return std::string(32, '\xFF').replace(0, 5, "Title") + mmf;
}

// Runs `inside` on the preview once it shows its first entry, then closes it. The check
// runs from the event loop, but never in the middle of a phone exchange (the window is
// disabled then), which would wait for ever on the exchange below it.
class WhenShown {
public:
    explicit WhenShown(std::function<void(PreviewWindow&)> inside) : m_inside(std::move(inside)) {
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start(10);
    }
    bool Ran() const { return m_ran; }

private:
    void Poll() {
        if (m_ran) return;
        auto* play = qobject_cast<PreviewWindow*>(QApplication::activeModalWidget());
        if (play && play->PlayIndex == 0 && play->isEnabled()) {
            m_ran = true;
            m_inside(*play);
            play->close();
        } else if (m_clock.elapsed() > 60000) {
            ADD_FAILURE() << "the preview did not show its first entry";
            m_ran = true;
            if (play) play->close();
        }
    }
    std::function<void(PreviewWindow&)> m_inside;
    bool m_ran = false;
    QElapsedTimer m_clock;
    QTimer m_timer;
};

struct PreviewFixture : ::testing::Test {
    QTemporaryDir dir;
    std::shared_ptr<FakeSound> sound = std::make_shared<FakeSound>();
    ScriptedUi prompts;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        SmafSetOutputFactory([s = sound] { return std::make_unique<FakeOutput>(s); });
        SmafInit("");
    }
    void TearDown() override {
        SmafDone();
        SmafSetOutputFactory(nullptr);
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Opens the preview on `files` and runs `inside` once the first entry is shown.
    void Open(PreviewWindow& form, const std::vector<std::string>& files, bool computer,
              const std::function<void()>& inside) {
        WhenShown driver([&](PreviewWindow& shown) {
            EXPECT_EQ(&shown, &form);
            inside();
        });
        form.ShowFiles(files, computer);
        EXPECT_TRUE(driver.Ran());
        EXPECT_TRUE(form.PlayFiles.empty());
        EXPECT_FALSE(SmafPlaying());
    }
};

TEST_F(PreviewFixture, ThreeComputerFilesOpenOnTheFirstAndStepWithinTheList) {
    ASSERT_TRUE(WriteFile(Path("a.bmp"), Picture("BMP", 20, 10)));
    ASSERT_TRUE(WriteFile(Path("b.jpg"), Picture("JPG", 30, 30)));
    ASSERT_TRUE(WriteFile(Path("c.bmp"), Picture("BMP", 8, 16)));
    PreviewWindow form;
    form.SetTempFileName(S(Path("Q7K3FM.TMP")));
    EXPECT_EQ(form.PlayStatus->text(), "Файл 0/0");
    EXPECT_EQ(form.windowTitle(), "Просмотрщик");
    const std::vector<std::string> files = {S(Path("a.bmp")), S(Path("b.jpg")), S(Path("c.bmp"))};
    Open(form, files, true, [&] {
        EXPECT_EQ(form.PlayStatus->text(), "Просмотр 1/3");
        ASSERT_EQ(form.PlayList->topLevelItemCount(), 3);
        EXPECT_EQ(form.PlayList->topLevelItem(1)->text(0), "b.jpg");
        EXPECT_EQ(form.PictureArea->Picture().size(), QSize(20, 10));
        EXPECT_EQ(form.LastPicturePath(), files[0]);

        // Previous on the first entry does nothing.
        form.PrevBtnClick();
        EXPECT_EQ(form.PlayIndex, 0);
        EXPECT_EQ(form.PlayStatus->text(), "Просмотр 1/3");

        // A double click on the current entry does nothing; on another it moves there.
        form.PlayList->setCurrentItem(form.PlayList->topLevelItem(0));
        form.PictureArea->SetPicture(QImage());
        form.PlayListDblClick();
        EXPECT_TRUE(form.PictureArea->Picture().isNull());
        form.PlayList->setCurrentItem(form.PlayList->topLevelItem(1));
        form.PlayListDblClick();
        EXPECT_EQ(form.PlayIndex, 1);
        EXPECT_EQ(form.PictureArea->Picture().size(), QSize(30, 30));

        QTest::mouseClick(form.NextBtn, Qt::LeftButton);
        EXPECT_EQ(form.PlayStatus->text(), "Просмотр 3/3");
        EXPECT_EQ(form.PictureArea->Picture().size(), QSize(8, 16));
        // Next on the last entry does nothing.
        form.PictureArea->SetPicture(QImage());
        form.NextBtnClick();
        EXPECT_EQ(form.PlayIndex, 2);
        EXPECT_TRUE(form.PictureArea->Picture().isNull());
        EXPECT_EQ(form.PlayStatus->text(), "Просмотр 3/3");
    });
    // The user's files stay where they were.
    for (const std::string& f : files) EXPECT_TRUE(QFileInfo::exists(Q(f)));
    EXPECT_EQ(sound->starts, 0);
}

TEST_F(PreviewFixture, MelodiesPlayOnceStopThenPlayRestartsAndTheEndIsReported) {
    if (!SmafAvailable()) GTEST_SKIP() << "no General MIDI soundfont";
    ASSERT_TRUE(QFile::copy(Q(kMelody), Path("tune.mmf")));
    // A MEL is played from its converted copy, the title taken off.
    ASSERT_TRUE(WriteFile(Path("ring.mel"), QByteArray::fromStdString(MelOf(Slurp(kMelody)))));
    PreviewWindow form;
    form.SetTempFileName(S(Path("Q7K3FM.TMP")));
    Open(form, {S(Path("tune.mmf")), S(Path("ring.mel"))}, true, [&] {
        EXPECT_TRUE(SmafPlaying());
        EXPECT_EQ(sound->starts, 1);
        EXPECT_EQ(form.FileNameLine->text(), "tune.mmf");

        // Play while a melody plays does nothing.
        form.PlayBtnClick();
        EXPECT_EQ(sound->starts, 1);
        EXPECT_EQ(sound->stops, 0);

        // Stop, then Play starts it again.
        QTest::mouseClick(form.StopBtn, Qt::LeftButton);
        EXPECT_FALSE(SmafPlaying());
        QTest::mouseClick(form.PlayBtn, Qt::LeftButton);
        EXPECT_TRUE(SmafPlaying());
        EXPECT_EQ(sound->starts, 2);

        // The end of the melody reaches the engine, which stops; Play plays it anew.
        ASSERT_TRUE(sound->finish);
        sound->finish();
        EXPECT_TRUE(WaitUntil([] { return !SmafPlaying(); }));
        form.PlayBtnClick();
        EXPECT_EQ(sound->starts, 3);

        // Next stops the melody and plays the MEL's SMAF part.
        form.NextBtnClick();
        EXPECT_EQ(sound->starts, 4);
        EXPECT_TRUE(SmafPlaying());
        EXPECT_EQ(form.FileNameLine->text(), "ring.mel");
    });
}

// A file that is neither picture nor melody, or a melody, shows nothing: never the picture
// of the entry before it.
TEST_F(PreviewFixture, WhatCannotBeShownShowsNothing) {
    ASSERT_TRUE(WriteFile(Path("b.jpg"), Picture("JPG", 30, 30)));
    ASSERT_TRUE(WriteFile(Path("broken.bmp"), QByteArray("BM and nothing a picture needs")));
    ASSERT_TRUE(WriteFile(Path("c.bmp"), Picture("BMP", 8, 16)));
    ASSERT_TRUE(WriteFile(Path("d.gif"), QByteArray("GIF89a cut short")));
    ASSERT_TRUE(QFile::copy(Q(kMelody), Path("tune.mmf")));
    PreviewWindow form;
    form.SetTempFileName(S(Path("Q7K3FM.TMP")));
    Open(form,
         {S(Path("b.jpg")), S(Path("broken.bmp")), S(Path("c.bmp")), S(Path("d.gif")),
          S(Path("b.jpg")), S(Path("tune.mmf"))},
         true, [&] {
             EXPECT_EQ(form.PictureArea->Picture().size(), QSize(30, 30));
             for (int k = 1; k < 6; ++k) {
                 form.NextBtnClick();
                 EXPECT_EQ(form.PictureArea->Picture().isNull(), k != 2 && k != 4) << k;
             }
             EXPECT_EQ(form.FileNameLine->text(), "tune.mmf");
         });
}

// Without a soundfont or a sound device a melody cannot be heard: the preview says which,
// in one line where the picture would be.
TEST_F(PreviewFixture, AMelodyThatCannotBeHeardSaysWhy) {
    ASSERT_TRUE(QFile::copy(Q(kMelody), Path("tune.mmf")));
    ASSERT_TRUE(WriteFile(Path("note.txt"), QByteArray("no melody either")));
    struct Row {
        const char* soundFont;
        SmafOutputFactory factory;
        int said;
    };
    std::vector<Row> rows = {{"/nonexistent/none.sf2", nullptr, kMsgNoSoundFont}};
    if (!smaf::FindSoundFont().empty() && !smaf::DesktopSoundAvailable())
        rows.push_back({"", nullptr, kMsgNoSoundDevice});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.soundFont);
        SmafSetOutputFactory(row.factory);
        EXPECT_FALSE(SmafInit(row.soundFont));
        EXPECT_EQ(SmafMissing(), row.said);
        PreviewWindow form;
        form.SetTempFileName(S(Path("Q7K3FM.TMP")));
        Open(form, {S(Path("tune.mmf")), S(Path("note.txt"))}, true, [&] {
            EXPECT_EQ(form.PictureArea->Note(), Q(Msg(row.said)));
            form.NextBtnClick();
            EXPECT_TRUE(form.PictureArea->Note().isEmpty());  // no melody: nothing said
        });
    }
}

// ---- the phone side ------------------------------------------------------------------------

struct PhonePreviewFixture : PreviewFixture {
    QTemporaryDir configDir;
    std::unique_ptr<PhoneEmulator> phone;
    std::unique_ptr<SettingsStore> store;
    AppFlags flags;
    std::unique_ptr<MainWindow> form;
    std::unique_ptr<PhoneLink> link;
    std::unique_ptr<DriverSettings<SerialPort>> port;
    std::unique_ptr<PhoneSession> session;

    void SetUp() override {
        PreviewFixture::SetUp();
        phone = std::make_unique<PhoneEmulator>();
        ASSERT_TRUE(phone->Start()) << phone->Error();
    }
    void TearDown() override {
        if (form) {
            EXPECT_TRUE(form->isEnabled());
            EXPECT_FALSE(form->Busy());
            form->CloseQuery();
        }
        session.reset();
        form.reset();
        port.reset();
        link.reset();
        phone->Stop();
        PreviewFixture::TearDown();
    }

    void Boot() {
        store = std::make_unique<SettingsStore>(S(configDir.filePath("Q7K3FileManager.conf")));
        store->WriteString("ComPort", phone->SlavePath());
        store->WriteString("LastPath", S(dir.path()));
        ASSERT_TRUE(store->Flush());
        form = std::make_unique<MainWindow>(flags, prompts);
        link = std::make_unique<PhoneLink>();
        port = std::make_unique<DriverSettings<SerialPort>>(link->Port);
        session =
            std::make_unique<PhoneSession>(*link, flags, prompts, *form->Progress(), *form, *form);
        form->AttachCore(
            {link.get(), session.get(), store.get(), port.get(),
             test::AnswerAtOnce([] { return false; })});
        form->show();
        ASSERT_TRUE(WaitUntil([&] { return form->Initialized(); }));
        ASSERT_TRUE(WaitUntil([&] { return form->Started() && !form->Busy(); }, 30000));
        ASSERT_TRUE(form->PhoneReady());
        ASSERT_TRUE(session->OpenFolder("User"));
        Preview(*form).SetTempFileName(S(Path("Q7K3FM.TMP")));
    }

    std::string Temp() const { return S(Path("Q7K3FM.TMP")); }

    // A phone entry is fetched on the session's link thread: this waits until it came.
    void Fetched() {
        ASSERT_TRUE(WaitUntil([&] { return !session->Busy(); }, 30000));
        QApplication::processEvents();
    }
};

TEST_F(PhonePreviewFixture, PhonePictureIsShownFromTheScratchFileUnderItsExtension) {
    const QByteArray jpg = Picture("JPG", 24, 12);
    ASSERT_TRUE(phone->PutFile("B", "wallpaper.jpg", jpg.toStdString()));
    ASSERT_TRUE(phone->PutFile("B", "tune.mel", MelOf(Slurp(kMelody))));
    Boot();
    PreviewWindow& play = Preview(*form);
    Open(play, {"wallpaper.jpg", "tune.mel"}, false, [&] {
        Fetched();
        EXPECT_EQ(play.PlayStatus->text(), "Просмотр 1/2");
        EXPECT_EQ(play.LastPicturePath(), Temp() + ".jpg");
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(24, 12));
        EXPECT_FALSE(QFileInfo::exists(Q(Temp() + ".jpg")));
        EXPECT_EQ(Slurp(Temp()), jpg.toStdString());
        EXPECT_EQ(play.FileNameLine->text(), "wallpaper.jpg");

        // The MEL melody plays once its title is off (the player takes only SMAF).
        play.NextBtnClick();
        Fetched();
        EXPECT_EQ(play.PlayStatus->text(), "Просмотр 2/2");
        if (SmafAvailable()) {
            EXPECT_TRUE(SmafPlaying());
            EXPECT_EQ(sound->starts, 1);
            // Stop then Play plays it again from the fetched file.
            play.StopBtnClick();
            play.PlayBtnClick();
            EXPECT_TRUE(SmafPlaying());
            EXPECT_EQ(sound->starts, 2);
        }
        EXPECT_FALSE(QFileInfo::exists(Q(Temp() + ".mmf")));
    });
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(QFileInfo::exists(Q(Temp())));
}

// .ani pictures of the picture folders are converted; the wallpaper keeps its own width.
TEST_F(PhonePreviewFixture, AniPicturesOfTheAnimationsFolderAreShownAtTheirWidth) {
    ASSERT_TRUE(phone->PutFile("E", "pic.ani", std::string(128 * 2 * 3, '\x1F')));
    ASSERT_TRUE(phone->PutFile("E", "wpaper.ani", std::string(126 * 2 * 5, '\x1F')));
    Boot();
    ASSERT_TRUE(session->OpenFolder(".."));
    ASSERT_TRUE(session->OpenFolder("Images"));
    ASSERT_TRUE(session->OpenFolder("Animations"));
    PreviewWindow& play = Preview(*form);
    Open(play, {"pic.ani", "wpaper.ani"}, false, [&] {
        Fetched();
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(128, 3));
        EXPECT_EQ(play.LastPicturePath(), Temp() + ".bmp");
        EXPECT_FALSE(QFileInfo::exists(Q(Temp() + ".bmp")));
        play.NextBtnClick();
        Fetched();
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(126, 5));
    });
    EXPECT_EQ(sound->starts, 0);
}

// GIF pictures show their first frame from either side; EMS pictures of the sms picture
// folder are converted first.
TEST_F(PhonePreviewFixture, GifAndEmsPicturesAreShown) {
    REQUIRE_IMAGEMAGICK();
    ASSERT_TRUE(q7k3::test::MagickMake("-delay 20 -size 14x9 xc:red xc:blue", S(Path("two.gif"))));
    QImage frame(16, 8, QImage::Format_RGB32);
    frame.fill(Qt::white);
    frame.setPixel(3, 2, qRgb(0, 0, 0));
    Bytes ems;
    ASSERT_TRUE(EncodeEmsPicture({frame}, "smile", 0, ems));
    ASSERT_TRUE(phone->PutFile("B", "two.gif", Slurp(S(Path("two.gif")))));
    ASSERT_TRUE(phone->PutFile("G", "smile.ani", std::string(ems.begin(), ems.end())));
    Boot();
    PreviewWindow& play = Preview(*form);
    Open(play, {"two.gif"}, false, [&] {
        Fetched();
        EXPECT_EQ(play.LastPicturePath(), Temp());
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(14, 9));
        EXPECT_EQ(QColor(play.PictureArea->Picture().pixel(5, 5)), QColor(Qt::red));
    });
    Open(play, {S(Path("two.gif"))}, true, [&] {
        EXPECT_EQ(play.LastPicturePath(), S(Path("two.gif")));
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(14, 9));
    });
    ASSERT_TRUE(session->OpenFolder(".."));
    ASSERT_TRUE(session->OpenFolder("Images"));
    ASSERT_TRUE(session->OpenFolder("sms"));
    Open(play, {"smile.ani"}, false, [&] {
        Fetched();
        EXPECT_EQ(play.LastPicturePath(), Temp() + ".bmp");
        const QImage shown = play.PictureArea->Picture();
        ASSERT_EQ(shown.size(), QSize(16, 8));
        EXPECT_EQ(QColor(shown.pixel(3, 2)), QColor(Qt::black));
        EXPECT_EQ(QColor(shown.pixel(4, 2)), QColor(Qt::white));
        EXPECT_FALSE(QFileInfo::exists(Q(Temp() + ".bmp")));
    });
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(sound->starts, 0);
}

TEST_F(PhonePreviewFixture, LostPhoneSaysSoAndTheWindowStaysOpen) {
    ASSERT_TRUE(phone->PutFile("B", "a.jpg", Picture("JPG", 8, 8).toStdString()));
    ASSERT_TRUE(phone->PutFile("B", "b.jpg", Picture("JPG", 16, 8).toStdString()));
    Boot();
    PreviewWindow& play = Preview(*form);
    Open(play, {"a.jpg", "b.jpg"}, false, [&] {
        Fetched();
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(8, 8));
        phone->FallSilentAfter(0);
        play.NextBtnClick();
        Fetched();
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].Text, "Потеряна связь с телефоном");
        EXPECT_EQ(prompts.shown[0].Caption, "Ошибка");
        EXPECT_EQ(play.PlayIndex, 1);
        EXPECT_TRUE(play.isVisible());
        EXPECT_TRUE(play.isEnabled());
        // The status no longer claims a read under way.
        EXPECT_EQ(play.PlayStatus->text(), "Потеряна связь с телефоном");
        // Nothing of the first picture is shown as the second.
        play.PictureArea->SetPicture(QImage());
        play.PlayBtnClick();
        EXPECT_TRUE(play.PictureArea->Picture().isNull());
        // A later move says so again, instead of doing nothing.
        play.PrevBtnClick();
        Fetched();
        ASSERT_EQ(prompts.shown.size(), 2u);
        EXPECT_EQ(prompts.shown[1].Text, "Потеряна связь с телефоном");
        EXPECT_EQ(play.PlayStatus->text(), "Потеряна связь с телефоном");
        phone->ClearFaults();
    });
}

TEST_F(PhonePreviewFixture, F3InThePhonePaneViewsTheSelectedFilesAndConsumesTheSelection) {
    ASSERT_TRUE(phone->PutFile("B", "one.jpg", Picture("JPG", 10, 20).toStdString()));
    ASSERT_TRUE(phone->PutFile("B", "two.jpg", Picture("JPG", 20, 10).toStdString()));
    Boot();
    form->ActivatePhonePane();
    form->Phone().List()->FindItem("one.jpg")->setSelected(true);
    form->Phone().List()->FindItem("two.jpg")->setSelected(true);
    form->Phone().List()->FindItem("..")->setSelected(true);
    WhenShown driver([&](PreviewWindow& play) {
        Fetched();
        EXPECT_EQ(play.PlayStatus->text(), "Просмотр 1/2");
        EXPECT_EQ(play.PictureArea->Picture().size(), QSize(10, 20));
        ASSERT_EQ(play.PlayList->topLevelItemCount(), 2);
        EXPECT_EQ(play.PlayList->topLevelItem(1)->text(0), "two.jpg");
    });
    QTest::keyClick(form->Phone().List(), Qt::Key_F3);
    EXPECT_TRUE(driver.Ran());
    EXPECT_TRUE(form->Phone().List()->selectedItems().isEmpty());
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(PreviewFixture, OnlyFoldersSelectedOpenNothingAndAreDeselected) {
    AppFlags flags;
    MainWindow form(flags, prompts);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_TRUE(WriteFile(Path("x.bmp"), Picture("BMP", 4, 4)));
    form.SetComputerPath(dir.path());
    ASSERT_TRUE(WaitUntil([&] {
        return form.Computer().List()->Loaded() && form.Computer().List()->Items().size() == 2;
    }));
    ASSERT_TRUE(form.Computer().List()->SelectName("sub"));
    EXPECT_TRUE(TakeViewSelection(form).empty());
    EXPECT_EQ(form.Computer().List()->SelectedCount(), 0);
    ASSERT_TRUE(form.Computer().List()->SelectName("x.bmp"));
    EXPECT_EQ(TakeViewSelection(form), std::vector<std::string>{S(Path("x.bmp"))});
    // The phone pane without a phone tree gives nothing.
    form.ActivatePhonePane();
    EXPECT_TRUE(TakeViewSelection(form).empty());
}

}  // namespace
