#include "app/qt/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QSpacerItem>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/viewer.h"

namespace tavo_qt {

namespace {

// Texts are the system's bytes; CR LF line breaks become Qt's plain LF.
QString ToQt(const std::string& text) {
    return QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()))
        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string FromQt(const QString& text) { return text.toLocal8Bit().toStdString(); }

QRect ToRect(const u_main::TBounds& b) { return {b.Left, b.Top, b.Width, b.Height}; }

// "*.cbr" as "*.[Cc][Bb][Rr]"; "*.*" as "*", which is every file here.
QString AnyCase(const std::string& pattern) {
    if (pattern == "*.*") return QStringLiteral("*");
    QString out;
    for (QChar c : ToQt(pattern)) {
        if (c.isLetter()) {
            out += '[' + c.toUpper() + c.toLower() + ']';
        } else {
            out += c;
        }
    }
    return out;
}

// The client area: the controls sit at fixed places on it, and only the bevel
// follows its width.
class ClientArea : public QWidget {
public:
    std::function<void(int)> OnResize;

protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (OnResize) OnResize(width());
    }
};

// A lowered bevel line: the shadow line on top and, given the room, the
// highlight below it, as the classic Windows look draws one.
class Bevel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(0, 0, width(), 1, palette().color(QPalette::Dark));
        if (height() > 1) painter.fillRect(0, 1, width(), 1, palette().color(QPalette::Light));
    }
};

// A Japanese proportional Gothic at 12 pixels; the next face on the list, or
// the system's own, when it is not installed.
QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                      QStringLiteral("Noto Sans CJK JP"), QStringLiteral("VL PGothic")});
    font.setPixelSize(12);
    return font;
}

QLabel* StatusLabel(QWidget* parent, const char* name, const u_main::TLabel& label) {
    auto* widget = new QLabel(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(ToRect(label.Bounds));
    widget->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    widget->setTextFormat(Qt::PlainText);
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Light));
    widget->setPalette(palette);
    return widget;
}

// A window manager cuts a caption that does not fit beside its title buttons,
// and a short message makes a narrow box: room for the caption in a bold
// title font, the window menu and three buttons is kept below the text.
void WidenForCaption(QMessageBox& box) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid == nullptr) return;
    QFont title = box.font();
    title.setBold(true);
    title.setPointSizeF(title.pointSizeF() * 1.2);
    const int caption = QFontMetrics(title).horizontalAdvance(box.windowTitle());
    const int button = std::max(box.style()->pixelMetric(QStyle::PM_TitleBarHeight), 24);
    const int wanted = caption + 4 * button + 40;
    grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
}

QPushButton* Button(QWidget* parent, const char* name, const u_main::TCommand& command) {
    auto* button = new QPushButton(ToQt(command.Caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(ToRect(command.Bounds));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

MainWindow::MainWindow(std::string SettingsFileName) : form_(*this, std::move(SettingsFileName)) {
    setWindowTitle(QString::fromLatin1(u_main::ApplicationTitle));
    BuildClientArea();
    BuildMenus();
    Perform(&u_main::TForm1::FormCreate);
    // The settings hold the outer bounds; the frame is taken off once it is known.
    move(form_.Left, form_.Top);
    resize(form_.Width, form_.Height);
}

void MainWindow::BuildClientArea() {
    auto* client = new ClientArea;
    client->setObjectName(QStringLiteral("Form1"));
    client->setFont(WindowFont());
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    client->setPalette(palette);
    client->OnResize = [this](int w) { StretchBevel(w); };

    bevel_ = new Bevel(client);
    bevel_->setObjectName(QStringLiteral("Bevel1"));
    bevel_->setGeometry(ToRect(form_.Bevel1));

    auto* label1 = new QLabel(ToQt(form_.Label1.Caption), client);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->move(form_.Label1.Bounds.Left, form_.Label1.Bounds.Top);
    label1->adjustSize();

    labelFile_ = StatusLabel(client, "LabelFile", form_.LabelFile);
    labelEnv_ = StatusLabel(client, "LabelEnv", form_.LabelEnv);
    buttonOpen_ = Button(client, "ButtonOpen", form_.ButtonOpen);
    buttonExe_ = Button(client, "ButtonExe", form_.ButtonExe);
    bitBtn1_ = Button(client, "BitBtn1", form_.BitBtn1);
    bitBtn1_->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    setTabOrder(buttonOpen_, buttonExe_);
    setTabOrder(buttonExe_, bitBtn1_);

    connect(buttonOpen_, &QPushButton::clicked, this,
            [this] { Perform(&u_main::TForm1::ButtonOpenClick); });
    connect(buttonExe_, &QPushButton::clicked, this,
            [this] { Perform(&u_main::TForm1::ButtonExeClick); });
    connect(bitBtn1_, &QPushButton::clicked, this, [this] { close(); });

    setCentralWidget(client);
}

void MainWindow::BuildMenus() {
    using F = u_main::TForm1;
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    AddMenuItem(file, "MenuOpen", form_.MenuOpen, &F::MenuOpenClick);
    AddMenuItem(file, "MenuExe", form_.MenuExe, &F::MenuExeClick);
    AddMenuItem(file, "MenuExit", form_.MenuExit, &F::MenuExitClick);
    QMenu* info = menuBar()->addMenu(QStringLiteral("INFO"));
    AddMenuItem(info, "MenuData", form_.MenuData, &F::MenuDataClick);
    AddMenuItem(info, "MenuTest", form_.MenuTest, &F::MenuTestClick);
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    AddMenuItem(view, "MenuLog", form_.MenuLog, &F::MenuLogClick);
    AddMenuItem(view, "MenuTavo", form_.MenuTavo, &F::MenuTavoClick);
    AddMenuItem(view, "MenuPage", form_.MenuPage, &F::MenuPageClick);
    AddMenuItem(view, "MenuSet", form_.MenuSet, &F::MenuSetClick);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    AddMenuItem(help, "MenuVer", form_.MenuVer, &F::MenuVerClick);
}

QAction* MainWindow::AddMenuItem(QMenu* menu, const char* name, u_main::TCommand& item,
                                 u_main::TForm1::THandler handler) {
    QAction* action = menu->addAction(ToQt(item.Caption));
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, handler] { Perform(handler); });
    menuItems_.emplace_back(action, &item);
    return action;
}

void MainWindow::Perform(u_main::TForm1::THandler handler) {
    form_.Perform(handler);
    SyncControls();
}

void MainWindow::SyncControls() {
    labelFile_->setText(ToQt(form_.LabelFile.Caption));
    labelEnv_->setText(ToQt(form_.LabelEnv.Caption));
    buttonOpen_->setEnabled(form_.ButtonOpen.Enabled);
    buttonExe_->setEnabled(form_.ButtonExe.Enabled);
    bitBtn1_->setEnabled(form_.BitBtn1.Enabled);
    for (auto& [action, item] : menuItems_) action->setEnabled(item->Enabled);
}

// The bevel is anchored left and right: it keeps its design overhang of the
// client width.
void MainWindow::StretchBevel(int clientWidth) {
    const int designClientWidth = 372;
    QRect r = ToRect(form_.Bevel1);
    r.setWidth(form_.Bevel1.Width + clientWidth - designClientWidth);
    bevel_->setGeometry(r);
}

void MainWindow::ShowMessage(const std::string& Text) {
    SyncControls();
    // Owned by the window, so that it is centred over it.
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(u_main::ApplicationTitle), ToQt(Text),
                    QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    WidenForCaption(box);
    box.exec();
}

std::string MainWindow::InputBox(const std::string& Caption, const std::string& Prompt,
                                 const std::string& Default) {
    SyncControls();
    QInputDialog dialog(this);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(ToQt(Caption));
    dialog.setLabelText(ToQt(Prompt));
    QString text = ToQt(Default);
    // Typing stops at 255 characters; a longer default is shown whole.
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMaxLength(std::max<int>(255, static_cast<int>(text.size())));
    }
    dialog.setTextValue(text);
    if (dialog.exec() != QDialog::Accepted) return Default;
    return FromQt(dialog.textValue());
}

// Log names often come in capitals from one program and in small letters from
// another, so the patterns match either; "*.*" shows every file, as on Windows.
// The desktop's own dialog is used where the platform offers one.
std::optional<std::string> MainWindow::OpenDialog() {
    SyncControls();
    QFileDialog dialog(this);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const u_main::TFileFilter& filter : u_main::OpenDialogFilters()) {
        QStringList patterns;
        for (const std::string& pattern : filter.Patterns) patterns << AnyCase(pattern);
        filters << ToQt(filter.Name) + QStringLiteral(" (") + patterns.join(' ') + ')';
    }
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.front());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

void MainWindow::Close() { close(); }

bool MainWindow::StartViewer(const std::string& ViewerName, const std::string& FileName) {
    return tavo::StartViewer(ViewerName, FileName,
                             MessageLater(u_main::CannotStartViewerText(ViewerName, FileName)));
}

bool MainWindow::StartBrowser(const std::string& FileName) {
    return tavo::StartBrowser(FileName, MessageLater(u_main::CannotStartBrowserText(FileName)));
}

// A program that fails soon after its start (xdg-open with no program for the
// file's type) is told from the waiter's thread; the box opens on the window's.
std::function<void()> MainWindow::MessageLater(std::string Text) {
    QPointer<MainWindow> window(this);
    return [window, Text = std::move(Text)] {
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) return;
        QMetaObject::invokeMethod(
            app,
            [window, Text] {
                if (window) window->ShowMessage(Text);
            },
            Qt::QueuedConnection);
    };
}

void MainWindow::OpenWhenShown(std::string FileName) { openWhenShown_ = std::move(FileName); }

// FormShow runs once the window is up, so that its message box and a close
// after it meet a finished window.
void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    FitOuterSize();
    if (shown_) return;
    shown_ = true;
    QTimer::singleShot(0, this, [this] {
        Perform(&u_main::TForm1::FormShow);
        if (openWhenShown_.empty() || !isVisible()) return;
        form_.Perform([this] { form_.OpenFile(openWhenShown_); });
        SyncControls();
    });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QRect outer = frameGeometry();
    form_.Left = outer.left();
    form_.Top = outer.top();
    form_.Width = outer.width();
    form_.Height = outer.height();
    // A settings file that cannot be written is reported, and the window still
    // closes: the user must always be able to leave.
    Perform(&u_main::TForm1::FormClose);
    event->accept();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    FitOuterSize();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FitOuterSize();
}

// The frame is known only once the window manager has decorated the window;
// from then on the outer size is the one the settings asked for.
void MainWindow::FitOuterSize() {
    if (outerSizeFitted_ || !isVisible()) return;
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0) return;
    outerSizeFitted_ = true;
    resize(form_.Width - frame.width(), form_.Height - frame.height());
}

}  // namespace tavo_qt
