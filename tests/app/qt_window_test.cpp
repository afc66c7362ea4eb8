// The real Qt window on the offscreen platform: its widgets pressed as a user
// would, its dialogs answered while they are open.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/qt/main_window.h"
#include "country/cty_utl3.h"
#include "logformat/tv_util2.h"
#include "platform/text_file.h"
#include "tests/app/sample_files.h"
#include "tests/app/window_fixture.h"
#include "tests/support/temp_dir.h"

// Readable failures: gtest finds this beside QString's own namespace.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tavo_qt {
namespace {

using tavo::test::TempDir;

// The window with the open dialog and message boxes scripted when the test
// says so, and Qt's own otherwise.
class ScriptedWindow : public MainWindow {
public:
    using MainWindow::MainWindow;

    std::optional<std::optional<std::string>> Chosen;
    bool RecordMessages = true;
    std::vector<std::string> Messages;

    std::optional<std::string> OpenDialog() override {
        return Chosen ? *Chosen : MainWindow::OpenDialog();
    }
    void ShowMessage(const std::string& Text) override {
        if (!RecordMessages) return MainWindow::ShowMessage(Text);
        Messages.push_back(Text);
    }
};

// Runs `answer` on the modal dialog once it is open.
void WhenModal(std::function<void(QWidget*)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
        }
    });
    timer->start();
}

class QtWindow : public u_main::test::InScratchFolder {
protected:
    void SetUp() override {
        InScratchFolder::SetUp();
        dir.Write("CQWW.DAT", u_main::test::CountryFile());
    }

    // Shows the window and lets FormShow run.
    void Show(ScriptedWindow& w) {
        w.show();
        for (int i = 0; i < 100 && w.Form().DataFileName.empty(); ++i) QTest::qWait(10);
        ASSERT_EQ(w.Form().DataFileName, "CQWW.DAT");
    }

    template <class T>
    static T* Child(QWidget& w, const char* name) {
        T* child = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
};

TEST_F(QtWindow, OpenAndExecuteThroughTheButtonsShowTheResultInTheStatusLabel) {
    ScriptedWindow w(dir.File("tavow.ini"));
    Show(w);
    auto* open = Child<QPushButton>(w, "ButtonOpen");
    auto* exe = Child<QPushButton>(w, "ButtonExe");
    auto* reportItem = Child<QAction>(w, "MenuTavo");
    EXPECT_FALSE(exe->isEnabled());
    EXPECT_FALSE(reportItem->isEnabled());

    w.Chosen = dir.Write("contest.ALL", u_main::test::ZLogAllLog());
    QTest::mouseClick(open, Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(w, "LabelFile")->text(), "contest.ALL");
    EXPECT_TRUE(exe->isEnabled());
    EXPECT_TRUE(Child<QAction>(w, "MenuLog")->isEnabled());

    QTest::mouseClick(exe, Qt::LeftButton);
    EXPECT_EQ(Child<QLabel>(w, "LabelEnv")->text(), "Worked 3 stations / File type ZLOG(ALL)");
    EXPECT_TRUE(reportItem->isEnabled());
    EXPECT_EQ(w.Messages, std::vector<std::string>{});

    // Exit closes the window, which saves the settings.
    QTest::mouseClick(Child<QPushButton>(w, "BitBtn1"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(tavo::FileExists(dir.File("tavow.ini")));
}

TEST_F(QtWindow, ControlsStandWhereTheDesignPutsThem) {
    ScriptedWindow w(dir.File("tavow.ini"));
    Show(w);
    EXPECT_EQ(w.windowTitle(), "Tavo for Windows");
    EXPECT_EQ(w.frameGeometry().size(), QSize(380, 240));
    EXPECT_EQ(Child<QPushButton>(w, "ButtonOpen")->geometry(), QRect(24, 128, 89, 41));
    EXPECT_EQ(Child<QPushButton>(w, "ButtonExe")->geometry(), QRect(152, 128, 81, 41));
    auto* exit = Child<QPushButton>(w, "BitBtn1");
    EXPECT_EQ(exit->geometry(), QRect(272, 128, 81, 41));
    EXPECT_EQ(exit->text(), "Exit(&C)");
    EXPECT_FALSE(exit->icon().isNull());
    auto* labelEnv = Child<QLabel>(w, "LabelEnv");
    EXPECT_EQ(labelEnv->geometry(), QRect(24, 72, 329, 17));
    EXPECT_EQ(labelEnv->font().pixelSize(), 12);
    EXPECT_EQ(Child<QLabel>(w, "LabelFile")->geometry(), QRect(24, 32, 329, 17));
    EXPECT_EQ(Child<QLabel>(w, "Label1")->pos(), QPoint(32, 16));

    // Only the bevel follows the width.
    auto* bevel = Child<QWidget>(w, "Bevel1");
    int client = w.centralWidget()->width();
    EXPECT_EQ(bevel->width(), client + 1);
    w.resize(w.width() + 100, w.height());
    EXPECT_EQ(bevel->width(), client + 101);
    EXPECT_EQ(Child<QPushButton>(w, "BitBtn1")->geometry(), QRect(272, 128, 81, 41));

    QStringList menus;
    for (QAction* menu : w.menuBar()->actions()) menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"File", "INFO", "View", "Help"}));
}

TEST_F(QtWindow, TheOpenDialogOffersTheFormatsFiltersAndTakesANameOfNoFile) {
    ScriptedWindow w(dir.File("tavow.ini"));
    Show(w);
    QStringList filters;
    QString selected;
    std::string typed = dir.File("not yet.ALL");
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        filters = dialog->nameFilters();
        selected = dialog->selectedNameFilter();
        // Typed, as a user would: selectFile leaves a focused name field alone,
        // and whether it has the focus yet depends on timing.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(QString::fromStdString(typed));
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog takes the typed name here
    });
    w.Form().MenuOpenClick();
    ASSERT_EQ(filters.size(), static_cast<qsizetype>(u_main::OpenDialogFilters().size()));
    EXPECT_EQ(selected, "ALL(zlog)");  // the first, shown without its patterns
    EXPECT_EQ(w.Form().LogFileName, typed);
    EXPECT_EQ(w.Form().LabelFile.Caption, "not yet.ALL");

    // The patterns pick logs by their extension in any letter case.
    for (const char* name :
         {"a.ALL", "b.all", "c.All", "d.cbr", "e.CBR", "f.txt", "g.ALLx", "h.LOG", "i.adi"}) {
        dir.Write(name, "");
    }
    auto matching = [&](const QString& filter) {
        QString patterns =
            QRegularExpression(QStringLiteral("\\(([^()]*)\\)$")).match(filter).captured(1);
        return QDir(QString::fromStdString(dir.Path().string()))
            .entryList(patterns.split(' '), QDir::Files, QDir::Name);
    };
    EXPECT_EQ(matching(filters[0]), (QStringList{"a.ALL", "b.all", "c.All"}));
    EXPECT_EQ(matching(filters[1]), (QStringList{"d.cbr", "e.CBR", "f.txt", "h.LOG"}));
    EXPECT_TRUE(matching(filters.back()).contains("g.ALLx"));
    EXPECT_TRUE(matching(filters.back()).contains("i.adi"));
}

TEST_F(QtWindow, TheInputBoxTakes255CharactersAndCancelGivesTheDefault) {
    ScriptedWindow w(dir.File("tavow.ini"));
    Show(w);
    int maxLength = 0;
    QString caption;
    WhenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = dialog->windowTitle();
        maxLength = dialog->findChild<QLineEdit*>()->maxLength();
        dialog->setTextValue("  less -R ");
        dialog->accept();
    });
    Child<QAction>(w, "MenuSet")->trigger();
    EXPECT_EQ(caption, "View Setup");
    EXPECT_EQ(maxLength, 255);
    EXPECT_EQ(w.Form().ViewerName, "less -R");

    WhenModal([](QWidget* modal) {
        qobject_cast<QInputDialog*>(modal)->setTextValue("changed");
        qobject_cast<QInputDialog*>(modal)->reject();
    });
    Child<QAction>(w, "MenuSet")->trigger();
    EXPECT_EQ(w.Form().ViewerName, "less -R");
}

TEST_F(QtWindow, AMessageBoxIsCaptionedWithTheTitleAndHasOneOkButtonAndNoIcon) {
    ScriptedWindow w(dir.File("tavow.ini"));
    Show(w);
    w.RecordMessages = false;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::Warning;
    qsizetype buttons = 0;
    QWidget* parent = nullptr;
    WhenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = box->buttons().size();
        parent = box->parentWidget();
        box->accept();
    });
    Child<QAction>(w, "MenuVer")->trigger();
    EXPECT_EQ(title, "Tavo for Windows");
    EXPECT_EQ(text, "Tavo for Windows Ver 3.80\nTAVO-PROJECT");
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(parent, &w);  // so it opens centred over the window
}

TEST_F(QtWindow, WithoutTheCountryFileTheWindowSaysSoAndCloses) {
    std::filesystem::remove(dir.File("CQWW.DAT"));
    ScriptedWindow w(dir.File("tavow.ini"));
    w.show();
    for (int i = 0; i < 100 && w.isVisible(); ++i) QTest::qWait(10);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.Messages, std::vector<std::string>{"Cannot Open DATA file!"});
    EXPECT_TRUE(tavo::FileExists(dir.File("tavow.ini")));
}

}  // namespace
}  // namespace tavo_qt

int main(int argc, char** argv) {
    // No display is needed: the window is drawn off screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's own dialogs, which the tests answer; the window asks for the native ones.
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
