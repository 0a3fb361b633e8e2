#pragma once
// What to put back from a backup: the backup's files under their phone folders, each with
// a check box (all checked to begin with); a folder's box checks or clears all its files.
// OK is enabled while at least one file, or the backup's contacts, is checked.

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

#include "commands/Backup.h"

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace q7k3 {

class RestoreDialog : public QDialog {
    Q_OBJECT
public:
    explicit RestoreDialog(QWidget* parent = nullptr);

    // Fills the list from the backup's records, every file checked; the files `missing`
    // marks (by record) are shown as missing on the phone.
    void SetRecords(const std::vector<BackupRecord>& records,
                    const std::vector<bool>& missing = {});
    // The checked files, as indices into the records, in the backup's order.
    std::vector<size_t> Chosen() const;
    // Shows the dialog modally; the checked files on OK, nothing on Cancel.
    std::optional<std::vector<size_t>> Ask(const std::vector<BackupRecord>& records,
                                           const std::vector<bool>& missing = {});

    // The backup's contacts (`count` of them; -1: it has none): the box to put back those
    // the phone lacks, checked when there are any. Whether it is checked.
    void OfferContacts(int count);
    bool ContactsChosen() const;

    // The folder row of a phone folder's path line, and the file row of a record.
    QTreeWidgetItem* FolderItem(const QString& folderPath) const;
    QTreeWidgetItem* FileItem(const QString& folderPath, const QString& name) const;

    QTreeWidget* RestoreTree;
    QLabel* RestoreStatus;
    QCheckBox* RestoreContacts;
    QPushButton* RestoreOK;
    QPushButton* RestoreCancel;

private:
    void UpdateStatus();

    std::vector<BackupRecord> m_records;
    size_t m_missing = 0;
};

}  // namespace q7k3
