#include "ports/widgets/PortStatesDialog.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Messages.h"

namespace q7k3 {

QString PortStatesText(const std::vector<PortStatus>& ports) {
    QString text;
    if (ports.empty()) return QString::fromStdString(Msg(kMsgNoSerialDevices));
    for (const PortStatus& port : ports) {
        text += QString::fromStdString(PortStateLine(port)) + QLatin1Char('\n');
        for (const std::string& line : PortRemedyLines(port))
            text += QStringLiteral("    ") + QString::fromStdString(line) + QLatin1Char('\n');
    }
    return text;
}

PortStatesDialog::PortStatesDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PortStatesForm"));
    setWindowTitle(QString::fromStdString(Msg(kMsgPortStatesCaption)));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("PortStatesText"));
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    auto* close = new QPushButton(QString::fromStdString(Msg(kMsgCloseButton)), this);
    close->setObjectName(QStringLiteral("PortStatesClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);
    resize(640, 240);
}

void PortStatesDialog::Fill(const std::vector<PortStatus>& ports) {
    m_text->setPlainText(PortStatesText(ports));
}

QString PortStatesDialog::Text() const {
    return m_text->toPlainText();
}

}  // namespace q7k3
