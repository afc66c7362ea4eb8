// tavow: the window of Tavo. Its settings file lies in the user's configuration folder.
#include <QApplication>

#include "app/qt/main_window.h"
#include "platform/program_path.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavow"));
    tavo_qt::MainWindow window(tavo::WindowSettingsFileName());
    window.show();
    return QApplication::exec();
}
