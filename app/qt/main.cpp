// tavow: the window of Tavo. Its settings file lies in the user's configuration folder.
#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include "app/qt/main_window.h"
#include "platform/program_path.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tavow"));
    tavo_qt::MainWindow window(tavo::WindowSettingsFileName());
    // "tavow LOG", as a file manager's "Open with" starts it.
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        window.OpenWhenShown(
            QFile::encodeName(QFileInfo(args[1]).absoluteFilePath()).toStdString());
    }
    window.show();
    return QApplication::exec();
}
