#include "window/PaneLook.h"

#include <algorithm>

#include <QApplication>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QPainter>
#include <QPalette>
#include <QStatusBar>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

#include "window/Texts.h"

namespace q7k3 {

QFrame* NamedPanel(const char* name, QWidget* parent) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameShape(QFrame::NoFrame);
    return panel;
}

QLabel* NamedLabel(const char* name, const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

ElidedLabel::ElidedLabel(const QString& text, Qt::TextElideMode mode, QWidget* parent)
    : QLabel(text, parent), m_mode(mode) {
    setTextFormat(Qt::PlainText);
}

QString ElidedLabel::ShownText() const {
    const int room = contentsRect().width() - 2 * margin() - 2 * indent();
    const QString whole = text();
    for (const QString& prefix : m_prefixes) {
        if (!whole.startsWith(prefix) || fontMetrics().horizontalAdvance(whole) <= room) continue;
        const int rest = room - fontMetrics().horizontalAdvance(prefix);
        if (rest <= 0) break;
        return prefix + fontMetrics().elidedText(whole.mid(prefix.size()), m_mode, rest);
    }
    return fontMetrics().elidedText(whole, m_mode, std::max(0, room));
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    const QString shown = ShownText();
    if (shown == text()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    style()->drawItemText(
        &painter, room,
        QStyle::visualAlignment(layoutDirection(), alignment()) | Qt::TextSingleLine, palette(),
        isEnabled(), shown, foregroundRole());
}

bool ElidedLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && ShownText() != text()) {
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text(), this);
        return true;
    }
    return QLabel::event(event);
}

QLabel* FittedLabel(const char* name, const QString& text, QWidget* parent,
                    Qt::TextElideMode mode) {
    auto* label = new ElidedLabel(text, mode, parent);
    label->setObjectName(name);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    return label;
}

QLabel* PathLine(const char* name, const QString& text, QWidget* parent) {
    QLabel* label = FittedLabel(name, text, parent, Qt::ElideMiddle);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(true);
    label->setFont(font);
    label->setAutoFillBackground(true);
    return label;
}

PaneTop BuildPaneTop(QWidget* panel, const char* pathPanel, const char* pathLine,
                     const QString& pathText, const char* statusPanel) {
    PaneTop top{};
    top.Column = new QVBoxLayout(panel);
    top.Column->setContentsMargins(0, 0, 0, 0);
    top.Column->setSpacing(0);

    top.PathPanel = NamedPanel(pathPanel, panel);
    top.PathPanel->setFixedHeight(17);
    auto* pathRow = new QHBoxLayout(top.PathPanel);
    pathRow->setContentsMargins(0, 0, 0, 0);
    top.Path = PathLine(pathLine, pathText, top.PathPanel);
    pathRow->addWidget(top.Path);
    top.Column->addWidget(top.PathPanel);

    top.StatusPanel = NamedPanel(statusPanel, panel);
    top.StatusPanel->setFixedHeight(24);
    top.StatusRow = new QHBoxLayout(top.StatusPanel);
    top.StatusRow->setContentsMargins(2, 0, 0, 0);
    top.Column->addWidget(top.StatusPanel);
    return top;
}

QLabel* PaneStatusLine(const char* name, const QString& text, QWidget* panel, QVBoxLayout* column) {
    QLabel* label = FittedLabel(name, text, panel);
    column->addWidget(label);
    return label;
}

void PaintPathLine(QLabel& label, bool active) {
    QPalette p = label.palette();
    const QPalette app = label.window() ? label.window()->palette() : QApplication::palette();
    if (active) {
        p.setColor(QPalette::Window, app.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::WindowText, app.color(QPalette::Active, QPalette::HighlightedText));
    } else {
        p.setColor(QPalette::Window, app.color(QPalette::Active, QPalette::Mid));
        p.setColor(QPalette::WindowText, app.color(QPalette::Active, QPalette::Light));
    }
    label.setPalette(p);
}

QString SelectionLine(qint64 selectedBytes, qint64 totalBytes, qint64 selected, qint64 total) {
    return QString::number(selectedBytes / 1024) + M(kMsgKbOf) + QString::number(totalBytes / 1024) +
           M(kMsgKbFiles) + QString::number(selected) + M(kMsgOf) + QString::number(total);
}

QStatusBar* WindowStatusBar(QWidget* window, QLabel*& panel0, QLabel*& panel1) {
    auto* bar = new QStatusBar(window);
    bar->setObjectName("StatusBar1");
    bar->setFixedHeight(19 + 4);
    bar->setSizeGripEnabled(false);
    panel0 = NamedLabel("StatusPanel0", QString(), bar);
    panel0->setFixedWidth(600);
    panel1 = NamedLabel("StatusPanel1", QString(), bar);
    panel1->setAlignment(Qt::AlignCenter);
    panel1->setMinimumWidth(50);
    bar->addWidget(panel0);
    bar->addPermanentWidget(panel1);
    return bar;
}

}  // namespace q7k3
