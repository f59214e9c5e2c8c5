// TLumadesk's breakpoint commands: SpeedBrkClick (toggle the selected lines),
// SetBreakpoints1Click, ClearBreakpoints1Click, ClearAllBreakpoints1Click, the project file
// (SaveProject1Click, readProject) and the line-count check that keeps breakpoints on their
// text while lines are inserted and deleted.
#include "ide/lumadesk_window.hpp"

#include "debugger/project_file.hpp"
#include "ide/c_highlighter.hpp"
#include "ide/debugger_state.hpp"
#include "ide/source_editor.hpp"

#include <QFileInfo>
#include <QTextBlock>

namespace kavo::ide {

namespace {

CHighlighter* highlighterOf(SourceEditor* editor) {
    return editor->document()->findChild<CHighlighter*>();
}

} // namespace

std::vector<int> TLumadesk::selectedLines() const {
    const QTextCursor cursor = EditWindow->textCursor();
    const QTextDocument* document = EditWindow->document();
    const int first = document->findBlock(cursor.selectionStart()).blockNumber() + 1;
    const int last = document->findBlock(cursor.selectionEnd()).blockNumber() + 1;
    std::vector<int> lines;
    for (int line = first; line <= last; ++line)
        lines.push_back(line);
    return lines;
}

// The red bold mark is drawn from the table, so it always shows what Run stops at. The text
// itself does not change: a breakpoint is kept in the project file, never in the source.
void TLumadesk::markBreakpointLine(int line) {
    if (CHighlighter* highlighter = highlighterOf(EditWindow))
        highlighter->redrawLine(line);
}

void TLumadesk::SpeedBrkClick() {
    for (int line : selectedLines()) {
        debug_->breakpoints.toggle(line);
        markBreakpointLine(line);
    }
    lineCountCheck();
}

void TLumadesk::SetBreakpoints1Click() {
    for (int line : selectedLines()) {
        debug_->breakpoints.set(line);
        markBreakpointLine(line);
    }
}

void TLumadesk::ClearBreakpoints1Click() {
    for (int line : selectedLines()) {
        debug_->breakpoints.clear(line);
        markBreakpointLine(line);
    }
}

void TLumadesk::ClearAllBreakpoints1Click() {
    for (int line : debug_->breakpoints.clearAll())
        markBreakpointLine(line);
}

// Lines inserted or deleted since the last check move the breakpoints below the caret.
void TLumadesk::lineCountCheck() {
    const int count = EditWindow->blockCount();
    if (count == debug_->lastLineCount)
        return;
    debug_->breakpoints.shiftLines(count - debug_->lastLineCount, EditWindow->caretLine());
    debug_->lastLineCount = count;
    if (CHighlighter* highlighter = highlighterOf(EditWindow))
        highlighter->rehighlight();
}

// The project file lies beside the source, named after it with the debugger extension.
QString TLumadesk::projectPath() const {
    const QString folder = named_ ? QFileInfo(currentFile_).absolutePath() : startupDir_;
    return QString::fromStdString(debugger::projectFilePath(
        folder.toStdString(), currentFile_.toStdString(), settings_.debugExtension));
}

void TLumadesk::SaveProject1Click() {
    const QString path = projectPath();
    if (!debugger::writeProjectFile(path.toStdString(), debug_->breakpoints))
        dialogs_->message(MessageTitle, QString("Cannot open Lumadesk project file %1").arg(path),
                          Buttons::Ok, Icon::Error);
}

// The entries the file names are taken; their lines are marked as they come from the table.
void TLumadesk::readProject() {
    debugger::readProjectFile(projectPath().toStdString(), debug_->breakpoints);
    debug_->lastLineCount = EditWindow->blockCount();
    if (CHighlighter* highlighter = highlighterOf(EditWindow))
        highlighter->rehighlight();
}

} // namespace kavo::ide
