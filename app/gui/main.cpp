// q7k3fm: the two-pane file manager window.

#include <QApplication>
#include <QDir>
#include <cstdio>
#include <cstring>

#include "link/AppFlags.h"
#include "window/QtPrompts.h"
#include "window/TForm1.h"

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("usage: q7k3fm   (no arguments; the phone's port is chosen in the settings)\n");
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Q7K3FileManager"));
    q7k3::InstallRussianTranslation();

    q7k3::AppFlags flags;
    q7k3::QtPrompts prompts;
    q7k3::TForm1 window(flags, prompts);
    prompts.SetParent(&window);
    window.SetComputerPath(QDir::homePath());
    window.show();
    return app.exec();
}
