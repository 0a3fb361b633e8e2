#pragma once
// What to put back from a backup: the backup's files under their phone folders, each with
// a check box (all checked to begin with); a folder's box checks or clears all its files.
// OK is enabled while at least one file is checked.

#include <QDialog>
#include <cstddef>
#include <optional>
#include <vector>

#include "commands/Backup.h"

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

    // The folder row of a phone folder's path line, and the file row of a record.
    QTreeWidgetItem* FolderItem(const QString& folderPath) const;
    QTreeWidgetItem* FileItem(const QString& folderPath, const QString& name) const;

    QTreeWidget* RestoreTree;
    QLabel* RestoreStatus;
    QPushButton* RestoreOK;
    QPushButton* RestoreCancel;

private:
    void UpdateStatus();

    std::vector<BackupRecord> m_records;
    size_t m_missing = 0;
};

}  // namespace q7k3
