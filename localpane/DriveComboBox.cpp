#include "localpane/DriveComboBox.h"

#include <QAbstractItemView>
#include <QDir>
#include <QStorageInfo>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>

namespace q7k3 {

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    // Roots can be long paths: the box stays small, its list shows them whole.
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(6);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    RefreshDrives();
    connect(this, &QComboBox::activated, this, [this](int) { emit DriveChanged(DriveLetter()); });
    connect(this, &QComboBox::currentTextChanged, this,
            [this](const QString& root) { setToolTip(root); });
    // Drawn shortened in the middle (paintEvent), never cut.
    setProperty("elidesText", true);
}

void DriveComboBox::RefreshDrives() {
    const QString keep = count() > 0 ? DriveLetter() : QString();
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid()) continue;
        const QString root = volume.rootPath();
        if (!roots.contains(root)) roots.append(root);
    }
    if (!roots.contains(QDir::rootPath())) roots.prepend(QDir::rootPath());
    std::sort(roots.begin(), roots.end());
    const QSignalBlocker block(this);
    clear();
    for (const QString& root : roots) addItem(root, root);
    view()->setMinimumWidth(view()->sizeHintForColumn(0) + 24);
    const int keepIndex = findData(keep);
    setCurrentIndex(keepIndex >= 0 ? keepIndex : 0);
}

QString DriveComboBox::DriveLetter() const {
    const QString root = currentData().toString();
    return root.isEmpty() ? QDir::rootPath() : root;
}

void DriveComboBox::SelectDriveFor(const QString& path) {
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(path));
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool holds = clean == root ||
                           clean.startsWith(root.endsWith('/') ? root : root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    const QSignalBlocker block(this);
    if (best >= 0) setCurrentIndex(best);
}

qint64 DriveComboBox::TotalBytes() const {
    QStorageInfo info(DriveLetter());
    return info.isValid() ? info.bytesTotal() : 0;
}

qint64 DriveComboBox::FreeBytes() const {
    QStorageInfo info(DriveLetter());
    return info.isValid() ? info.bytesAvailable() : 0;
}

void DriveComboBox::paintEvent(QPaintEvent*) {
    // A long root keeps its start and its end; the whole root is the tool tip.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    option.currentText =
        fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, field.width());
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void DriveComboBox::mousePressEvent(QMouseEvent* event) {
    emit Clicked();
    QComboBox::mousePressEvent(event);
}

}  // namespace q7k3
