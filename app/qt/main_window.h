// The main window drawn with Qt Widgets: TForm1's controls as real widgets,
// TForm1's events forwarded, and Qt's dialogs behind the toolkit interface.
#pragma once

#include <QMainWindow>
#include <functional>
#include <optional>
#include <string>

#include "app/u_main.h"

class QAction;
class QLabel;
class QPushButton;

namespace tavo_qt {

class MainWindow : public QMainWindow, public u_main::TToolkit {
public:
    // Creates the window and runs FormCreate; FormShow follows the first show.
    explicit MainWindow(std::string SettingsFileName);

    u_main::TForm1& Form() { return form_; }

    void ShowMessage(const std::string& Text) override;
    std::string InputBox(const std::string& Caption, const std::string& Prompt,
                         const std::string& Default) override;
    std::optional<std::string> OpenDialog() override;
    void Close() override;
    bool StartViewer(const std::string& ViewerName, const std::string& FileName) override;
    bool StartBrowser(const std::string& FileName) override;

    // A log named on the command line, opened as if chosen with Open once the
    // window is up.
    void OpenWhenShown(std::string FileName);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void BuildClientArea();
    void BuildMenus();
    QAction* AddMenuItem(QMenu* menu, const char* name, u_main::TCommand& item,
                         u_main::TForm1::THandler handler);
    void Perform(u_main::TForm1::THandler handler);
    void SyncControls();
    void FitOuterSize();
    // Shows the text later, on the window's thread, if the window is still there.
    std::function<void()> MessageLater(std::string Text);
    void StretchBevel(int clientWidth);

    u_main::TForm1 form_;
    QWidget* bevel_ = nullptr;
    QLabel* labelFile_ = nullptr;
    QLabel* labelEnv_ = nullptr;
    QPushButton* buttonOpen_ = nullptr;
    QPushButton* buttonExe_ = nullptr;
    QPushButton* bitBtn1_ = nullptr;
    std::vector<std::pair<QAction*, const u_main::TCommand*>> menuItems_;
    bool shown_ = false;
    std::string openWhenShown_;
    bool outerSizeFitted_ = false;
};

}  // namespace tavo_qt
