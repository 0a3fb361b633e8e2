#pragma once
// The main window: the computer's file system on the left, the phone's on the right, the
// six function-key buttons, the menu and the status bar. It owns which pane is active,
// the function keys, the phone pane with its path, selection and free-space lines, and
// navigation in the phone's folder tree.

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include "link/AppFlags.h"
#include "link/Prompts.h"

class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolButton;
class QAction;

namespace q7k3 {

class DriveComboBox;
class LocalDirView;
class PhoneDropTarget;
class PhoneListView;
class TFileExistForm;
class TProcessForm;
class TRenameForm;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    TForm1(AppFlags& flags, Prompts& prompts, QWidget* parent = nullptr);
    ~TForm1() override;

    // Components, named as the rest of the program refers to them.
    QWidget* CompPanel;
    QSplitter* Splitter1;
    QWidget* PhonePanel;
    QFrame* ButtonsPanel;
    QStatusBar* StatusBar1;
    QLabel* StatusPanel0;  // hints and transient status
    QLabel* StatusPanel1;  // the phone model after a scan
    QFrame* CompPathPanel;
    QLabel* PathComp;
    QFrame* PanelCompStatus;
    QLabel* DiskStatus;
    QToolButton* FavoritesBtn;
    QMenu* FavPopupMenu;
    QAction* AddCurrentDir1;
    QAction* Setup1;
    DriveComboBox* DrivesComboBox;
    LocalDirView* Source;
    QLabel* StatusComp;
    QFrame* PhonePathPanel;
    QLabel* PathPhone;
    QFrame* PanelPhoneStatus;
    QLabel* PhoneDiskStatus;
    PhoneListView* ListPhone;
    PhoneDropTarget* DragDropFilesPhone;
    QLabel* StatusPhone;
    QPushButton* ViewBtn;
    QPushButton* RfreshBtn;
    QPushButton* CopyBtn;
    QPushButton* Rename;
    QPushButton* CompileJavaBtn;
    QPushButton* Delete1;
    QMenu* FileMenu;
    QAction* Settings1;
    QAction* Exit1;
    QMenu* Help1;
    QAction* Help2;
    QAction* About1;
    QTimer* IRDATimer;

    TProcessForm* ProcessForm() const { return m_processForm; }
    TFileExistForm* FileExistForm() const { return m_fileExistForm; }
    TRenameForm* RenameForm() const { return m_renameForm; }

    bool ComputerPaneActive() const { return m_computerPaneActive; }
    void ActivateComputerPane();
    void ActivatePhonePane();

    // Status texts.
    QString ComputerSelectionText() const;
    QString PhoneSelectionText() const;
    QString DriveFreeText() const;

    // The resize rule: equal panes, status panel 0, the buttons in sixths.
    void ApplyResizeRule();
    void LayoutButtons();

    // The computer pane's directory (strips trailing separators; selects its drive).
    void SetComputerPath(const QString& path);

    // Function keys F3..F8 as both panes handle them. True when the key was one of them.
    bool DispatchFunctionKey(int key);

    // Commands that later parts of the program fill in; until then they do nothing.
    virtual void ViewBtnClick() {}
    virtual void CopyBtnClick() {}
    virtual void RenameClick() {}
    virtual void Delete1Click() {}
    virtual void CompileJavaBtnClick() {}
    virtual void About1Click() {}
    virtual void AddCurrentDir1Click() {}
    virtual void Setup1Click() {}
    // Phone items (their names) dropped on the computer pane.
    virtual void PhoneItemsDropped(const QStringList& /*names*/) {}
    // Files dropped on the phone list by another program.
    virtual void DragDropFilesPhoneProcessDropped(const QStringList& /*paths*/) {}

    // The refresh command (F4).
    virtual void RfreshBtnClick();
    virtual void Settings1Click() {}
    virtual void Exit1Click();
    virtual void Help2Click();
    // Whether the phone has been read (F7 and every phone command need it).
    virtual bool PhoneIsReady() const { return false; }

    // The help file beside the program.
    static QString HelpFilePath();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    // Puts the phone pane's rows: folders first (as given), then files.
    struct PhoneRow {
        QString Name;
        bool IsFile = false;
        qint64 Size = 0;
    };
    void ShowPhoneRows(const QList<PhoneRow>& rows);
    virtual void ListPhoneDblClick();
    void UpdateComputerStatus();

    AppFlags& m_flags;
    Prompts& m_prompts;

private:
    void BuildMenu();
    void BuildComputerPane();
    void BuildPhonePane();
    void BuildButtons();
    void SetPaneColours();

    TProcessForm* m_processForm = nullptr;
    TFileExistForm* m_fileExistForm = nullptr;
    TRenameForm* m_renameForm = nullptr;
    bool m_computerPaneActive = true;
};

}  // namespace q7k3
