#pragma once
// The drive selector of the computer pane. A "drive" is a mounted volume; its letter is
// its root path. Every kind of volume is listed: fixed, removable, network, optical, RAM.

#include <QComboBox>
#include <QString>

namespace q7k3 {

class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Reads the list of mounted volumes again; the selection follows the same root when
    // it is still mounted.
    void RefreshDrives();
    // The root path of the selected volume ("/" when nothing is selected).
    QString DriveLetter() const;
    // Selects the volume that holds `path` (the longest matching root) without signalling.
    void SelectDriveFor(const QString& path);

    qint64 TotalBytes() const;
    qint64 FreeBytes() const;

signals:
    // The user picked another volume.
    void DriveChanged(const QString& root);
    void Clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace q7k3
