// TLumadesk's construction in its start-up order (createComponents, enterCompilerOnlyState,
// the settings, the timer, the window position), the resizing rule, the caret display and
// the close query.
#include "ide/lumadesk_window.hpp"

#include "ide/assembly_window.hpp"
#include "ide/c_highlighter.hpp"
#include "ide/clickable_text.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/find_dialog.hpp"
#include "ide/hex_code_window.hpp"
#include "ide/program_window.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"

#include <QCloseEvent>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextDocument>
#include <QTimer>
#include <QToolBar>

namespace kavo::ide {

namespace {

constexpr int ResultsReserve = 150;
// Wide enough for every tool button, the debugger's included, outside the overflow menu.
constexpr int DefaultWidth = 1180;

} // namespace

TLumadesk::TLumadesk(Dialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), ownDialogs_(dialogs ? nullptr : std::make_unique<QtDialogs>(this)),
      dialogs_(dialogs ? dialogs : ownDialogs_.get()), startupDir_(QDir::currentPath()),
      debug_(std::make_unique<DebuggerState>()) {
    setObjectName("Lumadesk");
    createComponents();
    EditWindow->clear();
    setWindowTitle(ProductTitle);
    enterCompilerOnlyState();
    readIdeSettings(QDir(startupDir_).filePath(IdeSettingsFileName).toStdString(), settings_);
    // The compiler configuration window is created after the main window and its reading of
    // the store overwrites the matching values of "LUMADESK.CFG".
    CompilerConfig = new TCompilerConfig(settings_, *dialogs_, this);
    ConfigWindow = new TConfigWindow(settings_, *this, this);
    Program = new TProgram(*this, image_, *dialogs_, this);
    createDebuggerWindows();
    Timer1->setInterval(StartTimerInterval);
    Timer1->start();
    move(25, 50);
    resize(DefaultWidth, 700);
    showCaretPosition();
}

TLumadesk::~TLumadesk() = default;

void TLumadesk::createComponents() {
    EditWindow = new SourceEditor(this);
    EditWindow->setObjectName("EditWindow");
    EditWindow->setLineWrapMode(QPlainTextEdit::NoWrap);
    EditWindow->setTabChangesFocus(false);
    EditWindow->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    new CHighlighter(EditWindow->document());

    results = new ClickableText(this);
    results->setObjectName("results");
    results->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    results->setToolTip(
        "Click on a WARNING or ERROR message to locate source line that generated it.");

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName("Splitter1");
    Splitter1->setHandleWidth(8);
    Splitter1->addWidget(EditWindow);
    Splitter1->addWidget(results);
    setCentralWidget(Splitter1);

    DebugStatusBar = new QStatusBar(this);
    DebugStatusBar->setObjectName("DebugStatusBar");
    statusPanels_[0] = new QLabel(DebugStatusBar);
    statusPanels_[0]->setMinimumWidth(150);
    statusPanels_[1] = new QLabel(DebugStatusBar);
    statusPanels_[1]->setMinimumWidth(50);
    DebugStatusBar->addWidget(statusPanels_[0]);
    DebugStatusBar->addWidget(statusPanels_[1], 1);
    setStatusBar(DebugStatusBar);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    connect(Timer1, &QTimer::timeout, this, &TLumadesk::Timer1Timer);

    FindDialog1 = new FindDialog(this);
    connect(FindDialog1, &FindDialog::find, this, &TLumadesk::FindDialog1Find);
    Assembly = new TAssembly(EditWindow, this);
    ViewHexCode = new TViewHexCode(this);

    createToolBar();
    createMenus();
    connectEditor();
    connect(results, &ClickableText::pressed, this, &TLumadesk::resultsMouseDown);
}

void TLumadesk::connectEditor() {
    connect(EditWindow->document(), &QTextDocument::modificationChanged, this,
            &TLumadesk::showTitle);
    connect(EditWindow, &QPlainTextEdit::textChanged, this, &TLumadesk::showCaretPosition);
    connect(EditWindow, &QPlainTextEdit::cursorPositionChanged, this,
            &TLumadesk::showCaretPosition);
    connect(EditWindow, &SourceEditor::pressed, this, [this] {
        setStatus(1, QString());
        showCaretPosition();
        followListing();
    });
}

QString TLumadesk::statusText(int panel) const {
    return statusPanels_[panel]->text();
}

void TLumadesk::setStatus(int panel, const QString& text) {
    statusPanels_[panel]->setText(text);
}

void TLumadesk::setCaption(const QString& file) {
    caption_ = file;
    showTitle();
}

// A "*" after the file name while the text holds changes not yet saved.
void TLumadesk::showTitle() {
    if (caption_.isEmpty())
        return;
    const bool unsaved = EditWindow->document()->isModified();
    setWindowTitle(QString("%1 - [%2]%3").arg(ProductTitle, caption_, unsaved ? " *" : ""));
}

void TLumadesk::showCaretPosition() {
    setStatus(0, QString("Line: %1 Col: %2 of %3")
                     .arg(EditWindow->caretLine() + 1)
                     .arg(EditWindow->caretColumn() + 1)
                     .arg(EditWindow->blockCount() + 1));
}

// The editor above, its height the window's less the status bar and a band for the results.
void TLumadesk::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    const int editorHeight = qMax(0, height() - DebugStatusBar->height() - ResultsReserve -
                                         ToolBar1->height() - MainMenu1->height());
    const int total = Splitter1->height();
    Splitter1->setSizes({qMin(editorHeight, total), qMax(0, total - editorHeight)});
}

void TLumadesk::closeEvent(QCloseEvent* event) {
    if (compiling_ || !confirmExit()) {
        event->ignore();
        return;
    }
    Timer1->stop();
    debug_->runTimer->stop();
    Variables->close();
    VarMonWin->close();
    Assembly->close();
    ViewHexCode->close();
    Program->close();
    event->accept();
}

bool TLumadesk::confirmExit() {
    if (EditWindow->document()->isModified()) {
        switch (dialogs_->message(MessageTitle, "File has changed.  Do you want to save changes?",
                                  Buttons::YesNoCancel, Icon::Warning)) {
        case Answer::Yes:
            if (!saveSource())
                return false;
            break;
        case Answer::No:
            EditWindow->document()->setModified(false);
            break;
        default:
            return false;
        }
    }
    settings_.currFile = currentFile_.toStdString();
    const QString path = QDir(startupDir_).filePath(IdeSettingsFileName);
    if (!writeIdeSettings(path.toStdString(), settings_))
        dialogs_->message(MessageTitle, QString("Cannot write config file %1").arg(path),
                          Buttons::Ok, Icon::Error);
    return true;
}

} // namespace kavo::ide
