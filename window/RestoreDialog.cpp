#include "window/RestoreDialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "window/Texts.h"

namespace q7k3 {
namespace {

// The record index a file row stands for (folder rows carry none).
constexpr int kRecordRole = Qt::UserRole + 1;

}  // namespace

RestoreDialog::RestoreDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("TRestoreForm");
    setWindowTitle(M(kMsgRestoreChoiceCaption));
    setModal(true);
    resize(460, 380);

    auto* layout = new QVBoxLayout(this);
    RestoreTree = new QTreeWidget(this);
    RestoreTree->setObjectName("RestoreTree");
    RestoreTree->setAccessibleName(QStringLiteral("RestoreTree"));
    RestoreTree->setColumnCount(3);
    RestoreTree->setHeaderLabels(
        {Cap("TForm1", "ListPhone.0"), Cap("TForm1", "ListPhone.1"), QString()});
    RestoreTree->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    RestoreTree->header()->setStretchLastSection(false);
    RestoreTree->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    RestoreTree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    RestoreTree->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    RestoreTree->setRootIsDecorated(true);
    layout->addWidget(RestoreTree, 1);

    RestoreStatus = new QLabel(this);
    RestoreStatus->setObjectName("RestoreStatus");
    layout->addWidget(RestoreStatus);

    RestoreContacts = new QCheckBox(this);
    RestoreContacts->setObjectName("RestoreContacts");
    RestoreContacts->hide();
    layout->addWidget(RestoreContacts);

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    RestoreOK = new QPushButton(Cap("TFileExistForm", "FexOKBtn"), this);
    RestoreOK->setObjectName("RestoreOK");
    RestoreOK->setDefault(true);
    RestoreCancel = new QPushButton(Cap("TFileExistForm", "FexCancel"), this);
    RestoreCancel->setObjectName("RestoreCancel");
    buttons->addWidget(RestoreOK);
    buttons->addWidget(RestoreCancel);
    layout->addLayout(buttons);

    connect(RestoreOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(RestoreCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(RestoreTree, &QTreeWidget::itemChanged, this, [this] { UpdateStatus(); });
    connect(RestoreContacts, &QCheckBox::toggled, this, [this] { UpdateStatus(); });
}

void RestoreDialog::SetRecords(const std::vector<BackupRecord>& records,
                               const std::vector<bool>& missing) {
    m_records = records;
    m_missing = 0;
    const QSignalBlocker block(RestoreTree);
    RestoreTree->clear();
    // One row per phone folder, in the order the backup first names it.
    std::map<std::string, QTreeWidgetItem*> folders;
    for (size_t i = 0; i < records.size(); ++i) {
        const BackupRecord& r = records[i];
        QTreeWidgetItem*& folder = folders[r.FolderPath];
        if (!folder) {
            folder = new QTreeWidgetItem(RestoreTree, {Q(r.FolderPath)});
            folder->setFlags(folder->flags() | Qt::ItemIsUserCheckable | Qt::ItemIsAutoTristate);
            folder->setCheckState(0, Qt::Checked);
            folder->setExpanded(true);
        }
        auto* file = new QTreeWidgetItem(folder, {Q(r.Name), QString::number(r.Size)});
        file->setFlags((file->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsAutoTristate);
        file->setCheckState(0, Qt::Checked);
        file->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        file->setData(0, kRecordRole, static_cast<qulonglong>(i));
        // What the phone no longer holds is what a restore puts back without a question.
        if (i < missing.size() && missing[i]) {
            file->setText(2, M(kMsgMissingMark));
            ++m_missing;
        }
    }
    UpdateStatus();
}

std::vector<size_t> RestoreDialog::Chosen() const {
    std::vector<size_t> chosen;
    for (int f = 0; f < RestoreTree->topLevelItemCount(); ++f) {
        const QTreeWidgetItem* folder = RestoreTree->topLevelItem(f);
        for (int i = 0; i < folder->childCount(); ++i) {
            const QTreeWidgetItem* file = folder->child(i);
            if (file->checkState(0) == Qt::Checked)
                chosen.push_back(static_cast<size_t>(file->data(0, kRecordRole).toULongLong()));
        }
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

std::optional<std::vector<size_t>> RestoreDialog::Ask(const std::vector<BackupRecord>& records,
                                                      const std::vector<bool>& missing) {
    SetRecords(records, missing);
    RestoreTree->setFocus();
    if (exec() != QDialog::Accepted) return std::nullopt;
    return Chosen();
}

void RestoreDialog::OfferContacts(int count) {
    RestoreContacts->setVisible(count >= 0);
    RestoreContacts->setChecked(count > 0);
    RestoreContacts->setEnabled(count > 0);
    RestoreContacts->setText(M(kMsgRestoreContactsCheck) + QString::number(std::max(count, 0)));
    UpdateStatus();
}

bool RestoreDialog::ContactsChosen() const {
    return RestoreContacts->isEnabled() && RestoreContacts->isChecked();
}

QTreeWidgetItem* RestoreDialog::FolderItem(const QString& folderPath) const {
    for (int f = 0; f < RestoreTree->topLevelItemCount(); ++f) {
        QTreeWidgetItem* folder = RestoreTree->topLevelItem(f);
        if (folder->text(0) == folderPath) return folder;
    }
    return nullptr;
}

QTreeWidgetItem* RestoreDialog::FileItem(const QString& folderPath, const QString& name) const {
    QTreeWidgetItem* folder = FolderItem(folderPath);
    for (int i = 0; folder && i < folder->childCount(); ++i) {
        if (folder->child(i)->text(0) == name) return folder->child(i);
    }
    return nullptr;
}

void RestoreDialog::UpdateStatus() {
    // The selection line of the panes: "X КБ из Y KБ,Файлов: k из n".
    qint64 chosenBytes = 0, totalBytes = 0;
    int chosen = 0;
    for (size_t i = 0; i < m_records.size(); ++i) totalBytes += m_records[i].Size;
    for (const size_t i : Chosen()) {
        chosenBytes += m_records[i].Size;
        ++chosen;
    }
    RestoreStatus->setText(
        QString::number(chosenBytes / 1024) + M(kMsgKbOf) + QString::number(totalBytes / 1024) +
        M(kMsgKbFiles) + QString::number(chosen) + M(kMsgOf) + QString::number(m_records.size()) +
        (m_missing ? ", " + M(kMsgMissingCount) + QString::number(m_missing) : QString()));
    RestoreOK->setEnabled(chosen > 0 || ContactsChosen());
}

}  // namespace q7k3
