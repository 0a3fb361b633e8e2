#include "window/ProgressDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "base/Messages.h"
#include "base/Text.h"
#include "window/PaneLook.h"
#include "window/Texts.h"

namespace q7k3 {

ProgressDialog::ProgressDialog(AppFlags& flags, QWidget* mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_flags(flags),
      m_mainWindow(mainWindow) {
    setObjectName("TProcessForm");
    setWindowTitle(Cap("TProcessForm", ""));
    setModal(false);

    // A long file name keeps its start and its extension; the whole line is the tool tip.
    auto* quick = new ElidedLabel(QString(), Qt::ElideMiddle, this);
    quick->KeepPrefixes({M(kMsgCopyingFile), M(kMsgCopyingToPhone), M(kMsgDeleting),
                         M(kMsgUpdatingFolder), M(kMsgReading)});
    QuickStatus = quick;
    QuickStatus->setObjectName("QuickStatus");
    FileBar = new QProgressBar(this);
    FileBar->setObjectName("ProgressBar1");
    FileBar->setTextVisible(false);
    FileStatus = new QLabel(this);
    FileStatus->setObjectName("FileStatus");
    FileStatus->setTextFormat(Qt::PlainText);
    // The line keeps its place while no file is under way: the dialog does not jump.
    FileStatus->setMinimumHeight(FileStatus->fontMetrics().height());
    LongStatus = new ElidedLabel(QString(), Qt::ElideRight, this);
    LongStatus->setObjectName("LongStatus");
    CountBar = new QProgressBar(this);
    CountBar->setObjectName("ProgressBar2");
    CountBar->setTextVisible(false);
    for (QProgressBar* bar : {FileBar, CountBar}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    AbortBtn = new QPushButton(Cap("TProcessForm", "AbortBtn"), this);
    AbortBtn->setObjectName("AbortBtn");
    AbortBtn->setAutoDefault(false);
    connect(AbortBtn, &QPushButton::clicked, this, &ProgressDialog::AbortBtnClick);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    for (QWidget* w : {static_cast<QWidget*>(QuickStatus), static_cast<QWidget*>(FileBar),
                       static_cast<QWidget*>(FileStatus), static_cast<QWidget*>(LongStatus),
                       static_cast<QWidget*>(CountBar)})
        column->addWidget(w);
    column->addSpacing(4);
    column->addWidget(AbortBtn, 0, Qt::AlignHCenter);
    SetWide(false);
}

void ProgressDialog::SetWide(bool wide) {
    m_wide = wide;
    // "Копирование файла 12 из 60, 340 из 1024 КБ, осталось 1:23" needs about 400 pixels;
    // the file's own line is never cut, whatever the font.
    const QString longest = QStringLiteral("9999") + M(kMsgOf) + QStringLiteral("9999") +
                            M(kMsgKilobytes) + QStringLiteral(" 999.9 ") + M(kMsgSpeedUnit) +
                            M(kMsgTimeLeft) + QStringLiteral("99:59");
    const int text = FileStatus->fontMetrics().horizontalAdvance(longest) + 16;
    setFixedWidth(std::max({wide ? 441 : 265, text, AbortBtn->sizeHint().width() + 16}));
    setFixedHeight(layout()->sizeHint().height());
}

ProgressDialog::WideScope::WideScope(ProgressDialog& dialog)
    : m_dialog(dialog), m_was(dialog.Wide()) {
    m_dialog.SetWide(true);
    m_dialog.SetQuickStatus({});
    m_dialog.SetLongStatus({});
}

ProgressDialog::WideScope::~WideScope() {
    m_dialog.SetWide(m_was);
    m_dialog.setWindowTitle(Cap("TProcessForm", ""));
}

void ProgressDialog::AbortBtnClick() {
    m_flags.AbortRequested = true;
    LongStatus->setText(QString::fromStdString(Msg(kMsgFinishingOperation)));
}

void ProgressDialog::Show() {
    if (!m_quickSet) QuickStatus->clear();
    if (!m_longSet) LongStatus->clear();
    if (m_mainWindow) {
        const QRect main = m_mainWindow->frameGeometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void ProgressDialog::SetFileBytes(int64_t done, int64_t total, int64_t elapsedMs) {
    FileStatus->setText(QString::fromStdString(TransferLine(done, total, elapsedMs)));
}

void ProgressDialog::Hide() {
    m_hiding = true;
    hide();
    m_hiding = false;
    // The lines stay readable until the next operation, which opens the dialog with
    // its own lines, never with this one's.
    m_quickSet = m_longSet = false;
    FileStatus->clear();
}

void ProgressDialog::closeEvent(QCloseEvent* event) {
    // Only the program hides the dialog; the window manager's close is refused.
    if (m_hiding)
        event->accept();
    else
        event->ignore();
}

void ProgressDialog::SetCaption(const std::string& text) {
    setWindowTitle(QString::fromStdString(text));
}

void ProgressDialog::SetQuickStatus(const std::string& text) {
    m_quickSet = true;
    QuickStatus->setText(QString::fromStdString(text));
}

void ProgressDialog::SetLongStatus(const std::string& text) {
    m_longSet = true;
    // Once the user has asked to stop, the line says so until the operation has ended, even
    // when the operation's last lines arrive after the click.
    if (m_flags.AbortRequested && isVisible()) return;
    LongStatus->setText(QString::fromStdString(text));
}

void ProgressDialog::SetMax(int bar, int max) {
    QProgressBar* b = Bar(bar);
    b->setMaximum(max < b->minimum() ? b->minimum() : max);
}

void ProgressDialog::SetPosition(int bar, int position) {
    QProgressBar* b = Bar(bar);
    // QProgressBar ignores values outside its range; the position is kept within it.
    b->setValue(std::clamp(position, b->minimum(), b->maximum()));
}

void ProgressDialog::Step(int bar) {
    QProgressBar* b = Bar(bar);
    if (b->value() < b->maximum()) b->setValue(b->value() + 1);
}

int ProgressDialog::Position(int bar) const {
    return Bar(bar)->value();
}

int ProgressDialog::Max(int bar) const {
    return Bar(bar)->maximum();
}

}  // namespace q7k3
