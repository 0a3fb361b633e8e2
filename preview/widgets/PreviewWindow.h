#pragma once
// The preview window ("Просмотрщик"): shows pictures and plays melodies, one file at a time,
// from a list of files chosen in either pane. Files of the computer are opened where they
// are; files of the phone are fetched into the scratch file when they become current,
// converted where the phone's own formats need it, and shown. Whatever does not load as a
// picture goes to the melody player.

#include <QDialog>
#include <QImage>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QToolButton;
class QTreeWidget;

namespace q7k3 {

class PhoneSession;
class Prompts;

// The preview's picture: centred in its box, scaled to fit with its proportions kept; or,
// instead of a picture, one line of text saying why nothing can be heard.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);
    void SetPicture(const QImage& picture);  // also takes the line away
    const QImage& Picture() const { return m_picture; }
    void SetNote(const QString& note);  // also takes the picture away
    const QString& Note() const { return m_note; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QString m_note;
};

class PreviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit PreviewWindow(QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Where phone entries come from and who shows the lost-link message. Without a session
    // every phone entry counts as lost.
    void Attach(PhoneSession* session, Prompts* prompts);
    // The scratch file phone entries are fetched into (the program's TempFileName()).
    void SetTempFileName(const std::string& path) { m_tempFileName = path; }
    const std::string& TempFileName() const { return m_tempFileName; }

    // Fills PlayList with the entries' file-name parts, starts one before the first entry
    // (the activation steps back onto it), shows the window modally and empties the list
    // when it closes. `files` are full local paths, or bare phone names of the current
    // phone folder when `computerPane` is false.
    int ShowFiles(const std::vector<std::string>& files, bool computerPane);

    // Shared with the view command.
    std::vector<std::string> PlayFiles;
    int PlayIndex = 0;
    bool ComputerPaneActive = true;

    // Components, in their order of declaration.
    QToolButton* PlayBtn;
    QToolButton* StopBtn;
    QToolButton* NextBtn;
    QToolButton* PrevBtn;
    PictureBox* PictureArea;
    QLabel* PlayStatus;
    QLabel* FileNameLine;
    QTreeWidget* PlayList;

    // Event handlers.
    void PlayBtnClick();
    void StopBtnClick();
    void NextBtnClick();
    void PrevBtnClick();  // also every activation of the window
    void PlayListDblClick();
    void CloseQuery();

    // The file the last picture was loaded from (tests).
    const std::string& LastPicturePath() const { return m_lastPicturePath; }

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void MoveTo(int k);
    // Fetches a phone entry on the session's link thread; `then` hears whether it came.
    // False when the session did not take the fetch (nothing was asked of the phone).
    bool FetchPhoneEntry(const std::string& name, std::function<void(bool fetched)> then);
    void ShowViewing(int k);
    void PlayComputerEntry(const std::string& entry, const std::string& ext);
    void PlayPhoneEntry(const std::string& entry, const std::string& ext);
    // Loads `path` as a picture; false (and nothing shown) when it is none.
    bool ShowPicture(const std::string& path);
    // Plays what is no picture; the box shows nothing, or the line saying why a melody
    // cannot be heard.
    void PlayMelody(const std::string& path);
    void ShowLostLink();

    PhoneSession* m_session = nullptr;
    Prompts* m_prompts = nullptr;
    std::string m_tempFileName;
    std::string m_lastPicturePath;
    // The entry whose bytes the scratch file holds (-1: none).
    int m_fetchedIndex = -1;
    // Our own message box takes the activation away; getting it back is no step back.
    bool m_inOwnBox = false;
    bool m_skipNextActivation = false;
    // The phone folder the entries are in, kept by its place (the tree may be read anew
    // while the window is open), and what kind of folder it is.
    std::vector<std::string> m_place;
    std::string m_folderName;
    bool m_animations = false;
    bool m_emsFolder = false;
};

}  // namespace q7k3
