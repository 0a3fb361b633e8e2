#include "ports/widgets/PhoneSearchDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Messages.h"

namespace q7k3 {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

bool IsPhone(const PortFinding& f) {
    return f.Answer == PortAnswer::Phone;
}

}  // namespace

PhoneSearchDialog::PhoneSearchDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("PhoneSearchForm"));
    setWindowTitle(Q(Msg(kMsgSearchCaption)));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("PhoneSearchStatus"));
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("PhoneSearchList"));
    m_stop = new QPushButton(Q(Msg(kMsgStopSearch)), this);
    m_stop->setObjectName(QStringLiteral("PhoneSearchStop"));
    m_choose = new QPushButton(Q(Msg(kMsgChoosePhone)), this);
    m_choose->setObjectName(QStringLiteral("PhoneSearchChoose"));
    m_close = new QPushButton(Q(Msg(kMsgCloseButton)), this);
    m_close->setObjectName(QStringLiteral("PhoneSearchClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_stop);
    buttons->addStretch(1);
    buttons->addWidget(m_choose);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(560, 220);

    connect(m_stop, &QPushButton::clicked, this, [this] { m_runner.Stop(); });
    connect(m_choose, &QPushButton::clicked, this, [this] { ChooseCurrent(); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_list, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });
    connect(m_list, &QListWidget::itemActivated, this, [this] { ChooseCurrent(); });
    connect(&m_runner, &SearchRunner::Listed, this, [this] {
        m_list->clear();
        for (const std::string& port : m_runner.Ports()) m_list->addItem(Q(port));
        if (m_runner.Ports().empty()) m_status->setText(Q(Msg(kMsgNoSerialDevices)));
        ShowRow(-1);
    });
    connect(&m_runner, &SearchRunner::PortDone, this, [this](int index) { ShowRow(index); });
    connect(&m_runner, &SearchRunner::Finished, this, [this] { Finish(); });
    // Closing the window ends its search.
    connect(this, &QDialog::finished, this, [this] { m_runner.Stop(); });
}

bool PhoneSearchDialog::Start(const SearchRequest& request, const SearchSources& sources) {
    if (!m_runner.Start(request, sources)) return false;
    m_list->clear();
    m_status->setText(Q(Msg(kMsgSearchCaption)));
    UpdateButtons();
    show();
    raise();
    return true;
}

void PhoneSearchDialog::StopThen(std::function<void()> then) {
    const bool running = m_runner.Running();
    // No report of this search follows: the window says here that it was stopped.
    if (running) {
        const auto& findings = m_runner.Findings();
        for (int i = 0; i < m_list->count(); ++i) {
            if (i < static_cast<int>(findings.size()) &&
                findings[static_cast<size_t>(i)].Path.empty())
                m_list->item(i)->setText(m_list->item(i)->text() + " " + Q(Msg(kMsgFoundStopped)));
        }
        m_status->setText(Q(Msg(kMsgSearchCaption) + ": " + Msg(kMsgFoundStopped)));
    }
    m_runner.StopThen(std::move(then));
    if (!running) return;
    UpdateButtons();
    if (OnFinished) OnFinished();
}

void PhoneSearchDialog::ShowRow(int index) {
    const auto& findings = m_runner.Findings();
    if (index >= 0 && index < m_list->count() && index < static_cast<int>(findings.size())) {
        const PortFinding& f = findings[static_cast<size_t>(index)];
        m_list->item(index)->setText(Q(FindingLine(f)));
        if (IsPhone(f)) {
            QFont bold = m_list->item(index)->font();
            bold.setBold(true);
            m_list->item(index)->setFont(bold);
        }
    }
    if (m_runner.Running() && !m_runner.Ports().empty()) {
        m_status->setText(Q(Msg(kMsgSearchCaption) + ": " + std::to_string(m_runner.Done()) +
                            Msg(kMsgOf) + std::to_string(m_runner.Ports().size())));
    }
}

void PhoneSearchDialog::Finish() {
    const auto& findings = m_runner.Findings();
    for (int i = 0; i < m_list->count() && i < static_cast<int>(findings.size()); ++i) ShowRow(i);
    const std::vector<const PortFinding*> phones = PhonesFound(findings);
    if (phones.size() == 1) {
        m_status->setText(Q(Msg(kMsgOnePhoneFound) + phones.front()->Path));
        const auto at = static_cast<int>(phones.front() - findings.data());
        m_list->setCurrentRow(at);
        if (OnChoose) OnChoose(*phones.front());
    } else if (phones.size() > 1) {
        m_status->setText(Q(Msg(kMsgSeveralPhones)));
        m_list->setCurrentRow(static_cast<int>(phones.front() - findings.data()));
    } else if (!m_runner.Ports().empty()) {
        m_status->setText(Q(Msg(kMsgNoPhoneFound)));
    }
    UpdateButtons();
    if (OnFinished) OnFinished();
}

void PhoneSearchDialog::ChooseCurrent() {
    const int row = m_list->currentRow();
    const auto& findings = m_runner.Findings();
    if (m_runner.Running() || row < 0 || row >= static_cast<int>(findings.size())) return;
    if (!IsPhone(findings[static_cast<size_t>(row)])) return;
    if (OnChoose) OnChoose(findings[static_cast<size_t>(row)]);
    close();
}

void PhoneSearchDialog::UpdateButtons() {
    const int row = m_list->currentRow();
    const auto& findings = m_runner.Findings();
    m_stop->setEnabled(m_runner.Running());
    m_choose->setEnabled(!m_runner.Running() && row >= 0 &&
                         row < static_cast<int>(findings.size()) &&
                         IsPhone(findings[static_cast<size_t>(row)]));
}

QString PhoneSearchDialog::Status() const {
    return m_status->text();
}

QStringList PhoneSearchDialog::Rows() const {
    QStringList rows;
    for (int i = 0; i < m_list->count(); ++i) rows << m_list->item(i)->text();
    return rows;
}

}  // namespace q7k3
