#include "settings/widgets/SettingsDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

#include "base/Prompts.h"
#include "link/ProtocolTrace.h"
#include "ports/widgets/PhoneSearchDialog.h"
#include "ports/widgets/PortStatesDialog.h"
#include "base/Language.h"
#include "base/Messages.h"

namespace q7k3 {
namespace {

constexpr const char* kWindow = "TSettingsForm";
constexpr const int* kSpeeds = kOfferedRates;

QString Text(const char* control) {
    return QString::fromStdString(Caption(kWindow, control));
}

// The language box's entries as stored.
constexpr const char* kLanguageChoices[] = {"auto", "ru", "en"};

int LanguageIndex(const std::string& stored) {
    for (int i = 0; i < 3; ++i)
        if (stored == kLanguageChoices[i]) return i;
    return 0;
}

// Selects `index` when the box has such an entry; otherwise the choice stays as it was.
void SelectIfValid(QComboBox* box, int index) {
    if (index >= 0 && index < box->count()) box->setCurrentIndex(index);
}

}  // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SettingsForm"));
    setWindowTitle(Text(""));
    // A dialog without title-bar buttons: it is left through Start or Cancel only. Its
    // layout gives it the size its texts and the longest port name need.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    QWidget* traceColumn = nullptr;
    QWidget* firstPage = BuildPages(traceColumn);
    BuildChoices(firstPage);
    BuildTraceColumn(traceColumn);
    BuildPortRow(firstPage);
    BuildSearchRow(firstPage);
    connect(&m_plugs, &PortWatcher::PortsAppeared, this,
            [this](const QStringList& paths) { PortsAppeared(paths); });
    BuildButtons();
}

QWidget* SettingsDialog::BuildPages(QWidget*& traceColumn) {
    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl1"));
    auto* firstPage = new QWidget;
    firstPage->setObjectName(QStringLiteral("TabSheet1"));
    m_linePage = new QWidget;
    m_linePage->setObjectName(QStringLiteral("TabSheet2"));
    for (QWidget* page : {firstPage, m_linePage}) {
        auto* grid = new QGridLayout(page);
        grid->setContentsMargins(6, 4, 6, 4);
        grid->setHorizontalSpacing(6);
        grid->setVerticalSpacing(1);
    }
    // The second page holds the line settings, which are usable only with "Вручную", and
    // beside them the protocol trace switch, which is usable always.
    auto* page2 = new QWidget;
    page2->setObjectName(QStringLiteral("TabSheet2Page"));
    auto* page2Layout = new QHBoxLayout(page2);
    page2Layout->setContentsMargins(0, 0, 0, 0);
    page2Layout->setSpacing(0);
    page2Layout->addWidget(m_linePage, 3);
    traceColumn = new QWidget(page2);
    auto* traceGrid = new QGridLayout(traceColumn);
    traceGrid->setContentsMargins(6, 4, 6, 4);
    traceGrid->setVerticalSpacing(1);
    page2Layout->addWidget(traceColumn, 1);
    m_pages->addTab(firstPage, Text("TabSheet1"));
    m_pages->addTab(page2, Text("TabSheet2"));
    return firstPage;
}

void SettingsDialog::BuildChoices(QWidget* firstPage) {
    // Each label above its list: the port on a row of its own (a stable name under
    // /dev/serial/by-id is long), the other lists in columns.
    m_selCom = AddCombo(firstPage, "SelCom", "Label1", 0, 0);
    m_mode = AddCombo(firstPage, "Mode", "Label3", 1, 0);
    m_selSpeed = AddCombo(firstPage, "SelSpeed", "Label2", 1, 1);
    m_irdaReq = AddCombo(firstPage, "IRDAReqBox", "Label4", 1, 2);
    m_melConvertion = AddCombo(firstPage, "MelConvertionBox", "Label5", 1, 3);
    m_sleepTime = AddCombo(firstPage, "SleepTimeBox", "Label17", 2, 0);
    m_hiddenFiles = AddCombo(firstPage, "HiddenFilesBox", "Label19", 2, 1);
    m_portSettings = AddCombo(firstPage, "PortSettingsBox", "Label9", 2, 2);
    m_enableDtr = AddCombo(m_linePage, "EnableDTROnOpenBox", "Label10", 0, 0);
    m_hardwareFlow = AddCombo(m_linePage, "HardwareFlowBox", "Label11", 0, 1);
    m_softwareFlow = AddCombo(m_linePage, "SoftwareFlowBox", "Label12", 1, 0);
    m_checkLineStatus = AddCombo(m_linePage, "CheckLineStatusBox", "Label13", 1, 1);
    static_cast<QGridLayout*>(m_linePage->layout())->setRowStretch(4, 1);
    // The line settings are stored under their port driver's names; the page says what
    // they do, and the choices in words (the stored values are the positions).
    const std::pair<const char*, int> readable[] = {{"Label10", kMsgDtrOnOpenLabel},
                                                    {"Label11", kMsgHardwareFlowLabel},
                                                    {"Label12", kMsgSoftwareFlowLabel},
                                                    {"Label13", kMsgCheckLineLabel}};
    for (const auto& [name, message] : readable) {
        auto* label = m_linePage->findChild<QLabel*>(QString::fromLatin1(name));
        label->setText(QString::fromStdString(Msg(message)));
        label->buddy()->setAccessibleName(label->text());
    }
    const QString off = Text("MelConvertionBox.0");
    const QString on = Text("MelConvertionBox.1");
    for (QComboBox* box : {m_enableDtr, m_softwareFlow, m_checkLineStatus}) {
        box->setItemText(0, off);
        box->setItemText(1, on);
    }
    m_hardwareFlow->setItemText(0, off);
    m_hardwareFlow->setItemText(1, QString::fromStdString(Msg(kMsgRtsOnlyItem)));
    m_hardwareFlow->setItemText(2, on);
}

void SettingsDialog::BuildTraceColumn(QWidget* traceColumn) {
    auto* traceGrid = static_cast<QGridLayout*>(traceColumn->layout());
    auto* traceLabel = new QLabel(QString::fromStdString(Msg(kMsgTraceLabel)), traceColumn);
    traceLabel->setObjectName(QStringLiteral("TraceLabel"));
    m_trace = new QComboBox(traceColumn);
    m_trace->setObjectName(QStringLiteral("TraceBox"));
    m_trace->addItem(QString::fromStdString(Msg(kMsgTraceOff)));
    m_trace->addItem(QString::fromStdString(Msg(kMsgTraceOn)));
    m_trace->setToolTip(QString::fromStdString(Msg(kMsgTraceHint) + DefaultTracePath()));
    traceLabel->setBuddy(m_trace);
    m_trace->setAccessibleName(traceLabel->text());
    traceGrid->addWidget(traceLabel, 0, 0);
    traceGrid->addWidget(m_trace, 1, 0);
    // The program's language, below the trace: its label reads in both languages, so the
    // owner who cannot read the one shown still finds it.
    auto* languageLabel = new QLabel(QString::fromStdString(Msg(kMsgLanguageLabel)), traceColumn);
    languageLabel->setObjectName(QStringLiteral("LanguageLabel"));
    m_language = new QComboBox(traceColumn);
    m_language->setObjectName(QStringLiteral("LanguageBox"));
    for (const int text : {kMsgLanguageSystem, kMsgLanguageRussian, kMsgLanguageEnglish})
        m_language->addItem(QString::fromStdString(Msg(text)));
    m_language->setToolTip(QString::fromStdString(Msg(kMsgLanguageAtNextStart)));
    languageLabel->setBuddy(m_language);
    m_language->setAccessibleName(languageLabel->text());
    traceGrid->addWidget(languageLabel, 2, 0);
    traceGrid->addWidget(m_language, 3, 0);
    traceGrid->setRowStretch(4, 1);
}

// A small "?" right of the port list opens the list of every serial device with the reason
// it is missing from the list. It shares the list's row: the row of labels above has no
// width to spare.
void SettingsDialog::BuildPortRow(QWidget* firstPage) {
    auto* grid = static_cast<QGridLayout*>(firstPage->layout());
    grid->removeWidget(m_selCom);
    auto* row = new QWidget(firstPage);
    row->setObjectName(QStringLiteral("SelComRow"));
    auto* rowLayout = new QHBoxLayout(row);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    m_selCom->setParent(row);
    rowLayout->addWidget(m_selCom, 1);
    m_portStates = new QToolButton(row);
    m_portStates->setObjectName(QStringLiteral("PortStatesBtn"));
    m_portStates->setText(QStringLiteral("?"));
    m_portStates->setToolTip(QString::fromStdString(Msg(kMsgWhyNoPort)));
    m_portStates->setAccessibleName(m_portStates->toolTip());
    m_portStates->setFixedWidth(m_portStates->sizeHint().width());
    rowLayout->addWidget(m_portStates);
    grid->addWidget(row, 1, 0, 1, 4);
    // The whole name is shown, however long; the list opens as wide as its longest.
    m_selCom->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_selCom, &QComboBox::currentTextChanged, m_selCom,
            [this](const QString& text) { m_selCom->setToolTip(text); });
    connect(m_portStates, &QToolButton::clicked, this, [this] { PortStatesBtnClick(); });
}

// "Найти телефон" below the port list, and beside it the offer to search when the port tried
// had no phone.
void SettingsDialog::BuildSearchRow(QWidget* firstPage) {
    auto* grid = static_cast<QGridLayout*>(firstPage->layout());
    m_findPhone = new QPushButton(QString::fromStdString(Msg(kMsgFindPhone)), firstPage);
    m_findPhone->setObjectName(QStringLiteral("FindPhoneBtn"));
    m_findPhone->setToolTip(QString::fromStdString(Msg(kMsgFindPhoneHint)));
    m_findPhone->setAutoDefault(false);
    m_offer = new QLabel(firstPage);
    m_offer->setObjectName(QStringLiteral("SearchOffer"));
    m_offer->setWordWrap(true);
    m_offer->hide();
    grid->addWidget(m_findPhone, 6, 0);
    grid->addWidget(m_offer, 6, 1, 1, 3);
    grid->setRowStretch(7, 1);
    connect(m_findPhone, &QPushButton::clicked, this, [this] { FindPhoneClick(); });
}

void SettingsDialog::BuildButtons() {
    m_start = new QPushButton(Text("Start"));
    m_start->setObjectName(QStringLiteral("Start"));
    m_start->setDefault(true);
    m_cancel = new QPushButton(Text("CancelSetBtn"));
    m_cancel->setObjectName(QStringLiteral("CancelSetBtn"));
    connect(m_start, &QPushButton::clicked, this, &SettingsDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &SettingsDialog::reject);
    // Only the user's own choice changes the page's state; filling the dialog does not.
    connect(m_portSettings, &QComboBox::activated, this, [this] { PortSettingsBoxChange(); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_start);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    layout->addWidget(m_pages, 1);
    layout->addLayout(buttons);
}

QComboBox* SettingsDialog::AddCombo(QWidget* page, const char* name, const char* label, int row,
                                    int column) {
    auto* grid = static_cast<QGridLayout*>(page->layout());
    auto* caption = new QLabel(Text(label), page);
    caption->setObjectName(QString::fromLatin1(label));
    auto* box = new QComboBox(page);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    // Every choice whole: the dialog is as wide as its lists and labels need.
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    for (int i = 0, n = CaptionItemCount(kWindow, name); i < n; ++i)
        box->addItem(Text((std::string(name) + "." + std::to_string(i)).c_str()));
    if (box->count() > 0) box->setCurrentIndex(0);
    caption->setBuddy(box);
    box->setAccessibleName(caption->text());
    grid->addWidget(caption, row * 2, column);
    grid->addWidget(box, row * 2 + 1, column);
    return box;
}

bool SettingsDialog::FormCreate(const PortScan& scan) {
    Q_ASSERT(m_b.Store && m_b.Port && m_b.Flags);
    m_selCom->clear();
    if (scan.Listed == 0) {
        if (m_b.Boxes)
            m_b.Boxes->MessageBox(Msg(kMsgNoComPort), Msg(kMsgErrorCaption), BoxIcon::Error);
        if (m_b.EndProgram)
            m_b.EndProgram();
        else
            QCoreApplication::exit(1);
        return false;
    }
    FillPorts(scan);
    // The offer to search is made once, for the showing after the silent port.
    m_offer->setText(OfferText());
    m_offer->setVisible(!m_silentPort.empty());
    m_silentPort.clear();

    const AppFlags& flags = *m_b.Flags;
    SelectIfValid(m_mode, static_cast<int>(flags.Mode));
    m_melConvertion->setCurrentIndex(flags.MelConvertion ? 1 : 0);
    const int rate = m_b.Port->BaudRateValue();
    for (int i = 0; i < 3; ++i)
        if (kSpeeds[i] == rate) m_selSpeed->setCurrentIndex(i);
    m_irdaReq->setCurrentIndex(flags.IRDAReq ? 0 : 1);
    m_enableDtr->setCurrentIndex(m_b.Port->EnableDTROnOpen() ? 1 : 0);
    SelectIfValid(m_hardwareFlow, m_b.Port->HwFlow());
    SelectIfValid(m_softwareFlow, m_b.Port->SwFlow());
    m_checkLineStatus->setCurrentIndex(m_b.Port->CheckLineStatus() ? 1 : 0);
    SelectIfValid(m_sleepTime, m_b.Store->ReadInt("SleepTime", 0));
    SelectIfValid(m_hiddenFiles, m_b.Store->ReadInt("HiddenFiles", 0));
    m_portSettings->setCurrentIndex(m_b.Port->SettingsMode() ? 1 : 0);
    m_trace->setCurrentIndex(flags.Trace ? 1 : 0);
    m_language->setCurrentIndex(LanguageIndex(m_b.Store->ReadString(kLanguageKey, "auto")));
    m_pages->setCurrentIndex(0);
    return true;
}

void SettingsDialog::FillPorts(const PortScan& scan) {
    m_selCom->clear();
    for (const std::string& port : scan.Ports) m_selCom->addItem(QString::fromStdString(port));
    // The stored port may be the stable name of a listed one.
    const std::string name = m_b.Port->PortName();
    int current = m_selCom->findText(QString::fromStdString(name));
    for (int i = 0; current < 0 && i < m_selCom->count(); ++i)
        if (SameDevice(m_selCom->itemText(i).toStdString(), name)) current = i;
    // The port the user stored stays the choice while its device is away (a lost link, a
    // cable pulled): Enter must not put another port in its place.
    if (current < 0 && !name.empty() && name == m_b.Store->ReadString("ComPort", "")) {
        m_selCom->addItem(QString::fromStdString(name));
        current = m_selCom->count() - 1;
    }
    m_selCom->setCurrentIndex(current >= 0 ? current : (m_selCom->count() > 0 ? 0 : -1));
}

QString SettingsDialog::OfferText() const {
    if (m_silentPort.empty()) return m_offer->text();
    return QString::fromStdString(Msg(kMsgStoredPortSilent) + m_silentPort + Msg(kMsgTrySearch));
}

void SettingsDialog::StartClick() {
    Q_ASSERT(m_b.Store && m_b.Port && m_b.Flags);
    SettingsStore& store = *m_b.Store;
    PortSettingsTarget& port = *m_b.Port;
    AppFlags& flags = *m_b.Flags;
    auto index = [](const QComboBox* box) { return std::max(box->currentIndex(), 0); };

    if (m_selCom->currentIndex() >= 0) {
        // The device's stable name, when it has one: it still leads to the phone after the
        // cable was plugged in again and the kernel named the port anew.
        std::string name = m_selCom->currentText().toStdString();
        if (const std::string stable = StableName(name, m_sources.ByIdDir); !stable.empty())
            name = stable;
        port.SetPortName(name);
        store.WriteString("ComPort", name);
    } else {
        port.SetPortName(DefaultPortName());
    }

    const int rate = kSpeeds[std::min(index(m_selSpeed), 2)];
    port.SetBaudRateValue(rate);
    store.WriteInt("BaudRate", rate);

    const int mode = index(m_mode);
    store.WriteInt("MODE", mode);
    ApplyStoredMode(mode, flags);

    flags.IRDAReq = index(m_irdaReq) == 0;
    store.WriteBool("IRDAReq", flags.IRDAReq);

    // The wait step only; the polling period keeps what was loaded until the next start.
    const int sleepTime = index(m_sleepTime);
    store.WriteInt("SleepTime", sleepTime);
    if (m_b.PollStep) *m_b.PollStep = sleepTime == 2 ? 50 : 1;

    port.SetEnableDTROnOpen(index(m_enableDtr) != 0);
    store.WriteBool("EnableDTROnOpen", index(m_enableDtr) != 0);

    port.SetHwFlow(index(m_hardwareFlow));
    store.WriteInt("HardwareFlow", index(m_hardwareFlow));

    port.SetSwFlow(index(m_softwareFlow));
    store.WriteInt("SoftwareFlow", index(m_softwareFlow));

    port.SetCheckLineStatus(index(m_checkLineStatus) != 0);
    store.WriteBool("CheckLineStatus", index(m_checkLineStatus) != 0);

    store.WriteInt("HiddenFiles", index(m_hiddenFiles));
    flags.HiddenFiles = index(m_hiddenFiles) != 0;

    flags.MelConvertion = index(m_melConvertion) != 0;
    store.WriteBool("MelConvertion", flags.MelConvertion);

    port.SetSettingsMode(index(m_portSettings) == 1);
    store.WriteBool("PortSettings", index(m_portSettings) == 1);

    // Takes effect when the port is opened next.
    flags.Trace = index(m_trace) == 1;
    store.WriteBool("Trace", flags.Trace);

    // The texts are set when the windows are made: another language shows from the next
    // start on, and a box says so.
    const std::string stored = store.ReadString(kLanguageKey, "auto");
    const std::string language = kLanguageChoices[std::min(index(m_language), 2)];
    store.WriteString(kLanguageKey, language);
    store.Flush();
    if (language != stored && m_b.Boxes && ChooseLanguage(language) != CurrentLanguage())
        m_b.Boxes->MessageBox(Msg(kMsgLanguageAtNextStart), Msg(kMsgAttentionCaption),
                              BoxIcon::Information);
}

void SettingsDialog::PortStatesBtnClick() {
    auto* form = static_cast<PortStatesDialog*>(m_portStatesForm);
    if (!form) {
        form = new PortStatesDialog(this);
        m_portStatesForm = form;
    }
    std::function<std::vector<PortStatus>()> diagnose = m_diagnose;
    if (!diagnose) {
        const std::string stored = m_b.Store ? m_b.Store->ReadString("ComPort", "") : std::string();
        diagnose = [stored] { return DiagnosePorts(stored); };
    }
    // Every port is opened to learn its state: that is done off the window's thread.
    m_background.Run<std::vector<PortStatus>>(diagnose, [form](std::vector<PortStatus> ports) {
        form->Fill(ports);
        form->show();
        form->raise();
    });
}

void SettingsDialog::ListPortsThen(std::function<void(PortScan)> then) {
    std::function<PortScan()> list = m_b.ListPorts;
    if (!list) {
        const std::string stored = m_b.Store ? m_b.Store->ReadString("ComPort", "") : std::string();
        list = [stored] { return ListSerialPorts(stored); };
    }
    m_background.Run<PortScan>(list, std::move(then));
}

SearchRequest SettingsDialog::RequestFromChoices() const {
    auto index = [](const QComboBox* box) { return std::max(box->currentIndex(), 0); };
    SearchRequest request;
    request.StoredPort = m_b.Store ? m_b.Store->ReadString("ComPort", "") : std::string();
    request.PreferredRate = kSpeeds[std::min(index(m_selSpeed), 2)];
    request.Line.Manual = index(m_portSettings) == 1;
    request.Line.Dtr = index(m_enableDtr) != 0;
    request.Line.HwFlow = index(m_hardwareFlow);
    request.Line.SwFlow = index(m_softwareFlow);
    request.Line.CheckLineStatus = index(m_checkLineStatus) != 0;
    return request;
}

void SettingsDialog::FindPhoneClick() {
    if (m_search && m_search->Running()) {
        m_search->Stop();
        return;
    }
    StartSearch(RequestFromChoices());
}

void SettingsDialog::StartSearch(const SearchRequest& request) {
    if (!m_search) {
        m_search = new PhoneSearchDialog(this);
        m_search->OnChoose = [this](const PortFinding& phone) { SelectPhone(phone); };
        m_search->OnFinished = [this] { SearchFinished(); };
    }
    if (m_search->Start(request, m_sources))
        m_findPhone->setText(QString::fromStdString(Msg(kMsgStopSearch)));
}

void SettingsDialog::SearchFinished() {
    m_findPhone->setText(QString::fromStdString(Msg(kMsgFindPhone)));
}

void SettingsDialog::SelectPhone(const PortFinding& phone) {
    const QString path = QString::fromStdString(phone.Path);
    int at = m_selCom->findText(path);
    for (int i = 0; at < 0 && i < m_selCom->count(); ++i)
        if (SameDevice(m_selCom->itemText(i).toStdString(), phone.Path)) at = i;
    if (at < 0) {
        m_selCom->addItem(path);
        at = m_selCom->count() - 1;
    }
    m_selCom->setCurrentIndex(at);
    for (int i = 0; i < 3; ++i)
        if (kSpeeds[i] == phone.Rate) m_selSpeed->setCurrentIndex(i);
    m_offer->hide();
}

void SettingsDialog::SetWatchSources(const WatchSources* sources) {
    m_watch = sources != nullptr;
    if (sources) m_watchSources = *sources;
    m_plugs.Stop();
    if (m_watch && isVisible()) m_plugs.Watch(m_watchSources);
}

void SettingsDialog::PortsAppeared(const QStringList& paths) {
    if (!isVisible() || !m_b.Port || !m_b.Store) return;
    // The new port joins the list; the choice stays until a phone answers on the new one.
    ListPortsThen([this, paths](PortScan scan) {
        if (!isVisible() || m_leaving) return;
        const std::string chosen = m_selCom->currentText().toStdString();
        FillPorts(scan);
        const int keep = m_selCom->findText(QString::fromStdString(chosen));
        if (keep >= 0) m_selCom->setCurrentIndex(keep);
        if (m_search && m_search->Running()) return;
        SearchRequest request = RequestFromChoices();
        for (const QString& path : paths) request.Ports.push_back(path.toStdString());
        StartSearch(request);
    });
}

void SettingsDialog::PortSettingsBoxChange() {
    m_linePage->setEnabled(m_portSettings->currentIndex() == 1);
}

void SettingsDialog::Open(std::function<void(bool start)> answered) {
    m_answered = std::move(answered);
    ListPortsThen([this](PortScan scan) {
        // The window closed while the ports were listed: nothing is shown over a program
        // that ends.
        if (parentWidget() && !parentWidget()->isVisible()) {
            Answer(false);
            return;
        }
        if (!FormCreate(scan)) {
            Answer(false);
            return;
        }
        // The one instance keeps the focus where the last showing left it; Enter means Start
        // every time, not Cancel because Cancel was pressed before.
        m_start->setFocus();
        setModal(true);
        show();
    });
}

void SettingsDialog::Answer(bool start) {
    if (auto answered = std::exchange(m_answered, nullptr)) answered(start);
}

void SettingsDialog::EndSearchThen(std::function<void()> then) {
    if (!m_search) {
        then();
        return;
    }
    m_search->StopThen(std::move(then));
}

void SettingsDialog::done(int result) {
    // Start and Cancel (and a stop signal's cancel) close the dialog once the ports the search
    // holds open are closed again, before the connection opens one of them; meanwhile the
    // buttons rest.
    if (m_leaving) return;
    m_leaving = true;
    m_start->setEnabled(false);
    m_cancel->setEnabled(false);
    EndSearchThen([this, result] {
        m_leaving = false;
        m_start->setEnabled(true);
        m_cancel->setEnabled(true);
        if (result == QDialog::Accepted) StartClick();
        QDialog::done(result);
        Answer(result == QDialog::Accepted);
    });
}

void SettingsDialog::showEvent(QShowEvent* event) {
    if (QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
    QDialog::showEvent(event);
    if (m_watch) m_plugs.Watch(m_watchSources);
}

void SettingsDialog::hideEvent(QHideEvent* event) {
    m_plugs.Stop();
    QDialog::hideEvent(event);
}

}  // namespace q7k3
