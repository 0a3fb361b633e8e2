#pragma once
// The progress dialog: shown, not modally, while a phone command runs and the main window
// is disabled. The user cannot close it; its abort button only raises AbortRequested,
// which the running command checks before its next file. Under the file's bar a line
// counts its bytes, the speed and the time left.

#include <QDialog>

#include "base/AppFlags.h"
#include "base/Prompts.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace q7k3 {

class ProgressDialog : public QDialog, public ProgressView {
    Q_OBJECT
public:
    ProgressDialog(AppFlags& flags, QWidget* mainWindow);

    void Show() override;
    void Hide() override;
    void SetCaption(const std::string& text) override;
    void SetQuickStatus(const std::string& text) override;
    void SetLongStatus(const std::string& text) override;
    void SetMax(int bar, int max) override;
    void SetPosition(int bar, int position) override;
    void Step(int bar) override;
    int Position(int bar) const override;
    int Max(int bar) const override;
    // The file under way: "33 из 293 КБ 11.4 КБ/сек, осталось 0:23" under its bar.
    void SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) override;

    // The wide layout for the long commands whose status line counts files and bytes and
    // estimates the time left; off again, the dialog has its usual size.
    void SetWide(bool wide);
    bool Wide() const { return m_wide; }

    // The wide layout for as long as it lives, with empty status lines to begin with (the
    // copy and the backup commands, whose status line counts bytes and the time left);
    // then the usual size and caption.
    class WideScope {
    public:
        explicit WideScope(ProgressDialog& dialog);
        ~WideScope();
        WideScope(const WideScope&) = delete;
        WideScope& operator=(const WideScope&) = delete;

    private:
        ProgressDialog& m_dialog;
        bool m_was;
    };

    QLabel* QuickStatus;
    QProgressBar* FileBar;
    QLabel* FileStatus;
    QLabel* LongStatus;
    QProgressBar* CountBar;
    QPushButton* AbortBtn;

public slots:
    void AbortBtnClick();
    // Escape must not close the dialog either.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QProgressBar* Bar(int bar) const { return bar == 2 ? CountBar : FileBar; }

    AppFlags& m_flags;
    QWidget* m_mainWindow;
    bool m_hiding = false;
    bool m_wide = false;
    // Whether each line was set since the dialog was last hidden.
    bool m_quickSet = false;
    bool m_longSet = false;
};

}  // namespace q7k3
