#include "base/widgets/ProgramIcon.h"

#include <QApplication>

// The resource lives in this static library: it is registered before its first use.
static void RegisterIconResource() {
    Q_INIT_RESOURCE(q7k3fm_icons);
}

namespace q7k3 {

QIcon ProgramIcon() {
    static const QIcon icon = [] {
        RegisterIconResource();
        QIcon built;
        for (const int size : {16, 24, 32, 48, 64, 128, 256})
            built.addFile(QStringLiteral(":/icons/q7k3fm-%1.png").arg(size), QSize(size, size));
        return built;
    }();
    return icon;
}

void UseProgramIcon() {
    if (QApplication::windowIcon().cacheKey() != ProgramIcon().cacheKey())
        QApplication::setWindowIcon(ProgramIcon());
}

}  // namespace q7k3
