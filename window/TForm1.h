#pragma once
// The main window: the computer pane on the left, the phone pane on the right, the six
// function-key buttons, the menu and the status bar. It wires them: which pane is active,
// the function keys, the menu, the splitter and the phone session it observes.

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/AppFlags.h"
#include "link/Prompts.h"
#include "link/SettingsStore.h"
#include "phonefs/PhoneSession.h"
#include "ui/widgets/HelpWindow.h"
#include "window/ButtonBar.h"
#include "window/ComputerPane.h"
#include "window/PhonePane.h"

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;
class QAction;

namespace q7k3 {

class BackupCommands;
class DriveComboBox;
class FavoritesMenu;
class FileCommands;
class HelpCommand;
class InputBox;
class TAboutForm;
class TFavoritesForm;
class LocalDirView;
class PhoneDropTarget;
class PhoneListView;
class TFileExistForm;
class TProcessForm;
class TRenameForm;
class TForm10;
struct Tree4;

// The core the window drives, made by the program's entry (or a test) and attached once.
struct WindowCore {
    TForm10* Form10 = nullptr;
    PhoneSession* Session = nullptr;
    SettingsStore* Store = nullptr;
    PortSettingsTarget* Port = nullptr;  // the serial driver's settings, for LoadSettings
    // Shows the settings dialog modally; true for Start.
    std::function<bool()> ShowSettingsDialog;
};

// The window watches the phone session (SessionObserver) and asks the connection dialog
// for it (ConnectionDialog); the phone logic itself is the session's.
class TForm1 : public QMainWindow,
               public ComputerPaneParts,
               public PhonePaneParts,
               public ButtonBarParts,
               public SessionObserver,
               public ConnectionDialog {
    Q_OBJECT
public:
    TForm1(AppFlags& flags, Prompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    // Attaches the core; from then on the window talks to the phone.
    void AttachCore(const WindowCore& core);
    const WindowCore& Core() const { return m_core; }

    // Components, named as the rest of the program refers to them (the panes' and the
    // buttons' come with their parts).
    QWidget* CompPanel;
    QSplitter* Splitter1;
    QWidget* PhonePanel;
    QFrame* ButtonsPanel;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel0;  // hints and transient status
    QLabel* StatusPanel1;  // the phone model after a scan
    QMenu* FileMenu;
    QAction* Connect1;  // reconnect with the stored settings
    QAction* Settings1;
    QAction* Backup1;   // backup, restore and verify of the whole phone (BackupCommands)
    QAction* Restore1;
    QAction* Verify1;
    QAction* Exit1;
    QMenu* Help1;
    QAction* Help2;
    QAction* About1;

    Favourites Favs;
    std::string LastPath;

    TProcessForm* ProcessForm() const { return m_processForm; }
    TFileExistForm* FileExistForm() const { return m_fileExistForm; }
    TRenameForm* RenameForm() const { return m_renameForm; }
    BackupCommands* Backups() const { return m_backups.get(); }
    // The help window, once the desktop could not show the help page.
    HelpWindow* HelpForm() const;
    // How the help page is handed to the desktop (a test makes it fail).
    UrlOpener OpenHelpUrl = DesktopOpener();

    // The two panes.
    ComputerPane& Computer() const { return *m_computer; }
    PhonePane& Phone() const { return *m_phone; }

    bool ComputerPaneActive() const { return m_computerPaneActive; }
    void ActivateComputerPane() { SetActivePane(true); }
    void ActivatePhonePane() { SetActivePane(false); }
    void SetActivePane(bool computer);

    // Status texts.
    QString ComputerSelectionText() const;
    QString PhoneSelectionText() const;
    QString DriveFreeText() const;

    // The resize rule: equal panes, status panel 0, the buttons in sixths.
    void ApplyResizeRule();
    // Resizes to `wanted`, as far as the screen has room, and centres the window.
    void FitToScreen(QSize wanted);
    // The size and splitter as the settings keep them. The stored splitter is held while
    // start-up lays out the panes (the window system's resize, the first scan)...
    void RestoreWindowPlace(const SettingsStore& store);
    // ...and from here on lasts until the next resize, as a splitter move does.
    void ReleaseStoredSplitter();
    void LayoutButtons();

    // The computer pane's directory (strips trailing separators; selects its drive).
    void SetComputerPath(const QString& path);

    // Function keys F3..F8 as both panes handle them. True when the key was one of them.
    bool DispatchFunctionKey(int key);

    virtual void ViewBtnClick();  // the view command, window/ViewCommand.cpp
    // The file commands (FileCommands): F5 by the active pane, F6, F8, F7.
    virtual void CopyBtnClick();
    virtual void RenameClick();
    virtual void Delete1Click();
    virtual void CompileJavaBtnClick();
    // The about window, made once.
    virtual void About1Click();
    // Phone items (their names, as the phone sent them) dropped on the computer pane.
    virtual void PhoneItemsDropped(const std::vector<std::string>& names);
    // Files dropped on the phone list by another program.
    virtual void DragDropFilesPhoneProcessDropped(const QStringList& paths);
    FavoritesMenu* Favorites() const;
    TFavoritesForm* FavoritesForm() const;
    TAboutForm* AboutForm() const { return m_aboutForm; }

    // The refresh command (F4).
    virtual void RfreshBtnClick();
    virtual void Settings1Click();
    virtual void Connect1Click();
    virtual void Exit1Click();
    virtual void Help2Click();
    // Whether the phone has been read (F7 and every phone command need it).
    virtual bool PhoneIsReady() const { return PhoneReady(); }
    bool PhoneReady() const { return m_core.Session && m_core.Session->PhoneReady(); }
    // True while the session runs a phone operation: the panes, buttons and menu take no
    // input, while the window itself (and so every dialog it parents) stays enabled.
    bool Busy() const { return m_busy; }

    // Start-up, run once when the window is first shown.
    void FirstInitialization();
    bool Initialized() const { return m_initialized; }
    // Closing: saves "LastPath" and the favourites, stops the keep-alive, closes the port.
    void FormCloseQuery();

    // Phone pane: shows the session's current folder.
    void ShowCurrentFolder();
    QString PhonePathText() const;
    // Double click in ListPhone on the focused item.
    virtual void ListPhoneDblClick();

    // SessionObserver.
    void TreeChanged() override;
    void FolderChanged() override;
    void BusyChanged(bool busy) override;
    void ModelChanged(const std::string& phoneModel) override;
    void StatusChanged(const std::string& text) override;

    // ConnectionDialog: the settings dialog the core attached.
    bool AskConnectionSettings() override;

    // The help file beside the program.
    static QString HelpFilePath();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

    // Puts the phone pane's rows: folders first (as given), then files.
    using PhoneRow = PhonePane::Row;
    void ShowPhoneRows(const QList<PhoneRow>& rows);
    void UpdateComputerStatus();
    // The controls that depend on the firmware mode.
    void UpdateModeControls();

    AppFlags& m_flags;
    Prompts& m_prompts;

private:
    void BuildMenu();
    void BuildPanes();
    void BuildButtons();
    void SetPaneColours();

    TProcessForm* m_processForm = nullptr;
    TFileExistForm* m_fileExistForm = nullptr;
    TRenameForm* m_renameForm = nullptr;
    std::unique_ptr<InputBox> m_inputBox;
    TAboutForm* m_aboutForm = nullptr;
    std::unique_ptr<FileCommands> m_commands;
    std::unique_ptr<BackupCommands> m_backups;
    std::unique_ptr<HelpCommand> m_help;
    ComputerPane* m_computer = nullptr;
    PhonePane* m_phone = nullptr;
    ButtonBar* m_buttons = nullptr;
    bool m_computerPaneActive = true;
    bool m_initialized = false;
    bool m_closed = false;
    bool m_busy = false;
    int m_pendingSplitterLeft = 0;
    WindowCore m_core;
};

}  // namespace q7k3
