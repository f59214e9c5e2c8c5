// TLumadesk's compile command (SpeedCompileClick, compileCurrentFile) and the jump from a
// message line to its source line (resultsMouseDown).
#include "ide/lumadesk_window.hpp"

#include "common/line_tools.hpp"
#include "compiler/pipeline/compiler_entry.hpp"
#include "ide/clickable_text.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/results_io.hpp"
#include "ide/source_editor.hpp"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QToolBar>

namespace kavo::ide {

namespace {

// The folders the compiler writes into must exist before it runs.
void makeOutputFolders(const QString& startup, const kavo::ide::CompilerConfig& config) {
    for (const std::string& folder : {config.objectDir, config.assemblyDir, config.tempDir}) {
        if (!folder.empty())
            QDir(startup).mkpath(QString::fromStdString(folder).replace('\\', '/'));
    }
}

} // namespace

void TLumadesk::SpeedCompileClick() {
    if (compiling_)
        return;
    results->clear();
    if (CompilerConfig->AutoSave->isChecked())
        saveSource();
    if (EditWindow->document()->isModified()) {
        const Answer answer = dialogs_->message(
            MessageTitle, "File has changed.  Do you want to save changes before compiling?",
            Buttons::YesNoCancel, Icon::Warning);
        if (answer != Answer::Yes || !saveSource())
            return;
        currentFile_ = saveFileName_;
    }
    compileCurrentFile();
}

// The compiler reads the source from the folder of the file the editor shows, so that the
// compile always sees the text the user saved; the other folders are the configuration's,
// taken from the start-up directory.
void TLumadesk::compileCurrentFile() {
    kavo::ide::CompilerConfig config = CompilerConfig->config();
    if (named_)
        config.sourceDir = QFileInfo(currentFile_).absolutePath().toStdString() + "/";
    const std::string base = common::baseName(currentFile_.toStdString());
    const std::vector<std::string> arguments = compileArguments(config, base);

    // The simulator takes the new program in when it is next used.
    if (debugRunning())
        SpeedStopClick();
    debuggerState().session.reset();
    EditWindow->setExecutionLine(-1);
    setBusy(true);
    setStatus(1, QString("Compiling %1").arg(QString::fromStdString(base)));
    QDir::setCurrent(startupDir_);
    makeOutputFolders(startupDir_, config);
    ResultsIo io(results);
    CompilerSettings compilerSettings;
    const CompileOutcome outcome = compile(compilerSettings, io, arguments);
    QDir::setCurrent(startupDir_);

    if (outcome.fatal)
        dialogs_->message("Unrecoverable Error.",
                          QString::fromStdString(fatalStopText(*outcome.fatal)), Buttons::Ok,
                          Icon::Error);
    setStatus(1, outcome.success ? "Compilation completed successfully." : "Found errors.");
    if (!outcome.success)
        showNoObjectFile();
    EditWindow->setMessageMarks(common::messageMarks(results->toPlainText().toStdString()));
    setBusy(false);
    compiled_ = true;
    objectWatchArmed_ = true;
}

void TLumadesk::setBusy(bool busy) {
    compiling_ = busy;
    for (QWidget* control : {static_cast<QWidget*>(results), static_cast<QWidget*>(EditWindow),
                             static_cast<QWidget*>(ToolBar1)}) {
        if (busy)
            control->setCursor(Qt::BusyCursor);
        else
            control->unsetCursor();
    }
}

void TLumadesk::resultsMouseDown() {
    const QString line = results->selectCaretLine();
    const auto source = common::markedSourceLine(line.toStdString(), EditWindow->blockCount());
    if (!source)
        return;
    EditWindow->setFocus();
    EditWindow->selectLine(*source);
}

} // namespace kavo::ide
