#include "window/WindowPlace.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>
#include <QWidget>

#include "settings/SettingsStore.h"

namespace q7k3 {

void FitToScreen(QWidget& window, QSize wanted) {
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.geometry().size();
    const QSize room = area.size() - frame;
    window.setMinimumSize(window.minimumSize().boundedTo(room));
    window.resize(wanted.boundedTo(room).expandedTo(window.minimumSize()));
    const QSize outer = window.frameGeometry().size();
    window.move(area.center() - QPoint(outer.width() / 2, outer.height() / 2));
}

void RestoreSize(const SettingsStore& store, QWidget& window) {
    const int width = store.ReadInt("WindowWidth", 0);
    const int height = store.ReadInt("WindowHeight", 0);
    if (width > 0 && height > 0) FitToScreen(window, QSize(width, height));
}

int StoredSplitterLeft(const SettingsStore& store) {
    return std::max(0, store.ReadInt("SplitterLeft", 0));
}

void SetSplitterLeft(QSplitter& splitter, int left) {
    const QList<int> sizes = splitter.sizes();
    const int sum = sizes.value(0) + sizes.value(1);
    if (sizes.size() == 2 && left > 0 && left < sum) splitter.setSizes({left, sum - left});
}

void SavePlace(SettingsStore& store, const QWidget& window, const QSplitter& splitter) {
    store.WriteInt("WindowWidth", window.width());
    store.WriteInt("WindowHeight", window.height());
    store.WriteInt("SplitterLeft", splitter.sizes().value(0));
}

}  // namespace q7k3
