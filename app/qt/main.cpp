// tavow: the window of Tavo. Its settings file lies beside the program.
#include <QApplication>

#include "app/qt/main_window.h"
#include "platform/program_path.h"
#include "platform/settings.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavow"));
    tavo_qt::MainWindow window(tavo::SettingsFileName(tavo::ProgramFileName()));
    window.show();
    return QApplication::exec();
}
