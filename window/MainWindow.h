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

#include "base/AppFlags.h"
#include "base/Prompts.h"
#include "settings/SettingsStore.h"
#include "session/PhoneSession.h"
#include "base/widgets/HelpWindow.h"
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
class AboutDialog;
class FavoritesDialog;
class LocalDirView;
class PhoneDropTarget;
class PhoneListView;
class ConflictDialog;
class ProgressDialog;
class RenameDialog;
class PhoneLink;
class PlugWatch;
class PimView;
struct Tree4;

// The core the window drives, made by the program's entry (or a test) and attached once.
struct WindowCore {
    PhoneLink* Link = nullptr;
    PhoneSession* Session = nullptr;
    SettingsStore* Store = nullptr;
    PortSettingsTarget* Port = nullptr;  // the serial driver's settings, for LoadSettings
    // Shows the settings dialog modally; the answer (true for Start) comes when it closes.
    std::function<void(ConnectionAnswer answered)> ShowSettingsDialog;
};

// The window watches the phone session (SessionObserver) and asks the connection dialog
// for it (ConnectionDialog); the phone logic itself is the session's.
class MainWindow : public QMainWindow, public SessionObserver, public ConnectionDialog {
    Q_OBJECT
public:
    MainWindow(AppFlags& flags, Prompts& prompts, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Attaches the core; from then on the window talks to the phone.
    void AttachCore(const WindowCore& core);
    const WindowCore& Core() const { return m_core; }

    // The splitter between the panes and the status bar's two lines: hints and transient
    // status, and the phone model after a scan.
    QSplitter* Splitter() const { return m_splitter; }
    QLabel* HintLine() const { return m_hintLine; }
    QLabel* ModelLine() const { return m_modelLine; }
    // A menu command by its object name ("Backup1", "Settings1", ...); null when none.
    QAction* MenuAction(const char* objectName) const;

    Favourites Favs;
    std::string LastPath;

    ProgressDialog* Progress() const { return m_progress; }
    ConflictDialog* Conflicts() const { return m_conflicts; }
    RenameDialog* Renames() const { return m_renames; }
    BackupCommands* Backups() const { return m_backups.get(); }
    // The help window, once the desktop could not show the help page.
    HelpWindow* HelpViewer() const;
    // How the help page is handed to the desktop (a test makes it fail).
    UrlOpener OpenHelpUrl = DesktopOpener();

    // The two panes and the function-key buttons.
    ComputerPane& Computer() const { return *m_computer; }
    PhonePane& Phone() const { return *m_phone; }
    ButtonBar& Buttons() const { return *m_buttons; }
    // The phone's contacts and messages, the root's own two folders.
    PimView& Pim() const { return *m_pim; }

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
    // The size of the first start: both panes' columns whole (never below 694x440).
    QSize FirstSize() const;
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

    virtual void ViewClick();  // the view command, window/ViewCommand.cpp
    // The file commands (FileCommands): F5 by the active pane, F6, F8, F7.
    virtual void CopyClick();
    virtual void RenameClick();
    virtual void DeleteClick();
    virtual void CompileJavaClick();
    // The about window, made once.
    virtual void AboutClick();
    // Phone items (their names, as the phone sent them) dropped on the computer pane.
    virtual void PhoneItemsDropped(const std::vector<std::string>& names);
    // Files dropped on the phone list by another program.
    virtual void FilesDroppedOnPhone(const QStringList& paths);
    FavoritesMenu* Favorites() const;
    FavoritesDialog* FavouritesEditor() const;
    AboutDialog* About() const { return m_about; }

    // The refresh command (F4).
    virtual void RefreshClick();
    virtual void SettingsClick();
    virtual void ConnectClick();
    // "Отключить": the port closed and the phone pane emptied until the next connection.
    void DisconnectClick();
    virtual void ExitClick();
    virtual void HelpClick();
    // "Перейти к папке" (Ctrl+L): a computer folder typed or pasted; "~" is the home.
    void GoToFolderClick();
    // Whether the phone has been read (F7 and every phone command need it).
    virtual bool PhoneIsReady() const { return PhoneReady(); }
    bool PhoneReady() const { return m_core.Session && m_core.Session->PhoneReady(); }
    // True while the session runs a phone operation: the panes, buttons and menu take no
    // input, while the window itself (and so every dialog it parents) stays enabled.
    bool Busy() const { return m_busy; }

    // Start-up, run once when the window is first shown; Started() once the first
    // connection has stood or been given up.
    void FirstInitialization();
    bool Initialized() const { return m_initialized; }
    bool Started() const { return m_started; }
    // The door every entry point passes that talks to the phone: true when the session
    // admits it now; a refusal while something runs is said in the status bar.
    bool Admitted(bool needsPhone = true);
    // True once the session has closed (the window may then go).
    bool SessionClosed() const { return m_sessionClosed; }
    // Closing: saves "LastPath" and the favourites, stops the keep-alive, closes the port.
    void CloseQuery();

    // Phone pane: shows the session's current folder.
    void ShowCurrentFolder();
    QString PhonePathText() const;
    // Double click in ListPhone on the focused item.
    virtual void OpenPhoneItem();

    // SessionObserver.
    void TreeChanged() override;
    void FolderChanged() override;
    void BusyChanged(bool busy) override;
    void ModelChanged(const std::string& phoneModel) override;
    void StatusChanged(const std::string& text) override;

    // ConnectionDialog: the settings dialog the core attached.
    void AskConnectionSettings(ConnectionAnswer answered) override;
    void OfferPhoneSearch(const std::string& port) override;
    // Where the offer goes: the settings dialog, which makes it when shown next.
    std::function<void(const std::string& port)> OfferSearch;

    // The watch for a cable plugged in while no phone is connected; it starts once the
    // start-up is over.
    PlugWatch& Plugs() const { return *m_plugs; }
    Prompts& Ui() const { return m_prompts; }

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
    // The phone folder shown is the one the next connection returns to.
    void RememberPhoneFolder();

    AppFlags& m_flags;
    Prompts& m_prompts;

private:
    void BuildMenu();
    void BuildPanes();
    void BuildButtons();
    void SetPaneColours();

    QWidget* m_compPanel = nullptr;
    QSplitter* m_splitter = nullptr;
    QWidget* m_phonePanel = nullptr;
    QFrame* m_buttonsPanel = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_hintLine = nullptr;
    QLabel* m_modelLine = nullptr;
    QMenu* m_fileMenu = nullptr;
    QAction* m_connectAction = nullptr;  // reconnect with the stored settings
    QAction* m_disconnectAction = nullptr;
    QAction* m_settingsAction = nullptr;
    // Backup, restore and verify of the whole phone (BackupCommands).
    QAction* m_backupAction = nullptr;
    QAction* m_restoreAction = nullptr;
    QAction* m_verifyAction = nullptr;
    QAction* m_exitAction = nullptr;
    QMenu* m_helpMenu = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_aboutAction = nullptr;
    ProgressDialog* m_progress = nullptr;
    ConflictDialog* m_conflicts = nullptr;
    RenameDialog* m_renames = nullptr;
    std::unique_ptr<InputBox> m_inputBox;
    AboutDialog* m_about = nullptr;
    std::unique_ptr<FileCommands> m_commands;
    std::unique_ptr<BackupCommands> m_backups;
    std::unique_ptr<HelpCommand> m_help;
    PlugWatch* m_plugs = nullptr;
    PimView* m_pim = nullptr;
    ComputerPane* m_computer = nullptr;
    PhonePane* m_phone = nullptr;
    ButtonBar* m_buttons = nullptr;
    bool m_computerPaneActive = true;
    bool m_initialized = false;
    bool m_closed = false;
    bool m_started = false;
    bool m_sessionClosed = false;
    bool m_closingInline = false;
    bool m_busy = false;
    int m_pendingSplitterLeft = 0;
    WindowCore m_core;
};

}  // namespace q7k3
