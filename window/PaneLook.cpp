#include "window/PaneLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPalette>

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

QLabel* PathLine(const char* name, const QString& text, QWidget* parent) {
    QLabel* label = NamedLabel(name, text, parent);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setBold(true);
    label->setFont(font);
    label->setAutoFillBackground(true);
    label->setTextFormat(Qt::PlainText);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
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

}  // namespace q7k3
