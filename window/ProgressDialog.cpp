#include "window/ProgressDialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "ui/Messages.h"
#include "window/Texts.h"

namespace q7k3 {

ProgressDialog::ProgressDialog(AppFlags& flags, QWidget* mainWindow)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_flags(flags),
      m_mainWindow(mainWindow) {
    setObjectName("TProcessForm");
    setWindowTitle(Cap("TProcessForm", ""));
    setModal(false);

    QuickStatus = new QLabel(this);
    QuickStatus->setObjectName("QuickStatus");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setTextVisible(false);
    LongStatus = new QLabel(this);
    LongStatus->setObjectName("LongStatus");
    ProgressBar2 = new QProgressBar(this);
    ProgressBar2->setObjectName("ProgressBar2");
    ProgressBar2->setTextVisible(false);
    for (QProgressBar* bar : {ProgressBar1, ProgressBar2}) {
        bar->setRange(0, 100);
        bar->setValue(0);
    }
    AbortBtn = new QPushButton(Cap("TProcessForm", "AbortBtn"), this);
    AbortBtn->setObjectName("AbortBtn");
    AbortBtn->setAutoDefault(false);
    connect(AbortBtn, &QPushButton::clicked, this, &ProgressDialog::AbortBtnClick);
    SetWide(false);
}

void ProgressDialog::SetWide(bool wide) {
    m_wide = wide;
    // "Копирование файла 12 из 60, 340 из 1024 КБ, осталось 1:23" needs about 400 pixels.
    const int width = wide ? 441 : 265;
    const int inner = width - 16;
    setFixedSize(width, 151);
    QuickStatus->setGeometry(8, 8, inner, 17);
    ProgressBar1->setGeometry(8, 32, inner, 17);
    LongStatus->setGeometry(8, 64, inner, 17);
    ProgressBar2->setGeometry(8, 88, inner, 17);
    AbortBtn->setGeometry(88 + (width - 265) / 2, 120, 97, 25);
}

void ProgressDialog::AbortBtnClick() {
    m_flags.AbortRequested = true;
    LongStatus->setText(QString::fromStdString(Msg(kMsgFinishingOperation)));
}

void ProgressDialog::Show() {
    if (m_mainWindow) {
        const QRect main = m_mainWindow->frameGeometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void ProgressDialog::Hide() {
    m_hiding = true;
    hide();
    m_hiding = false;
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
    QuickStatus->setText(QString::fromStdString(text));
}

void ProgressDialog::SetLongStatus(const std::string& text) {
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
