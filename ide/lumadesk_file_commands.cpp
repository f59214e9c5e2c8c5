// TLumadesk's file commands: New1Click, Open1Click, Save1Click, SaveAs1Click, Print1Click,
// Exit1Click, SpeedExitClick, the save prompt they share, loadSourceFile and processBeauty.
#include "ide/lumadesk_window.hpp"

#include "ide/assembly_window.hpp"
#include "ide/clickable_text.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/hex_code_window.hpp"
#include "ide/source_editor.hpp"

#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QTimer>

namespace kavo::ide {

namespace {

const QString UntitledFile = "untitled.c";
const QString OpenFilter = "C source files (.c)|*.c|All files (*.*)|*.*";
const QString SaveFilter = "C Source Files (*.c)|*.c|All Files (*.*)|*.*";

// The editor's lines, each ended by a line end.
QByteArray sourceBytes(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += '\n';
    return bytes;
}

} // namespace

// False when the user cancelled (or the save he asked for failed): the command stops.
bool TLumadesk::savePrompt() {
    if (!EditWindow->document()->isModified())
        return true;
    switch (dialogs_->message(MessageTitle, "File has changed.  Do you want to save changes?",
                              Buttons::YesNoCancel, Icon::Warning)) {
    case Answer::Yes:
        return saveSource();
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void TLumadesk::New1Click() {
    if (!savePrompt())
        return;
    EditWindow->clear();
    EditWindow->setMessageMarks({});
    EditWindow->document()->setModified(false);
    currentFile_ = UntitledFile;
    saveFileName_ = UntitledFile;
    named_ = false;
    setCaption(UntitledFile);
}

void TLumadesk::Open1Click() {
    if (!savePrompt())
        return;
    const QString chosen =
        dialogs_->openFileName("Open", CompilerConfig->sourceFolder(), OpenFilter);
    if (!chosen.isEmpty())
        loadSourceFile(chosen);
    results->clear();
}

bool TLumadesk::loadSourceFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_->message(MessageTitle, QString("Cannot open file %1").arg(path), Buttons::Ok,
                          Icon::Error);
        return false;
    }
    const QString text = QString::fromUtf8(file.readAll()).remove('\r');
    ViewHexCode->ProgramEdit->clear();
    if (Assembly->isVisible())
        Assembly->clearListing();
    EditWindow->setPlainText(text);
    EditWindow->setMessageMarks({});
    EditWindow->document()->setModified(false);
    currentFile_ = QFileInfo(path).absoluteFilePath();
    saveFileName_ = currentFile_;
    named_ = true;
    loadVariables(true);
    readProject();
    EditWindow->document()->setModified(false);
    processBeauty();
    setCaption(currentFile_);
    return true;
}

bool TLumadesk::reopenLastFile() {
    const QString last = QString::fromStdString(settings_.currFile);
    if (last.isEmpty() || !QFileInfo(last).isFile())
        return false;
    return loadSourceFile(last);
}

// Restores what colouring the whole text disturbed: the caret and the modified flag.
void TLumadesk::processBeauty() {
    const QTextCursor caret = EditWindow->textCursor();
    const bool modified = EditWindow->document()->isModified();
    EditWindow->setEnabled(false);
    EditWindow->setEnabled(true);
    EditWindow->setFocus();
    EditWindow->setTextCursor(caret);
    EditWindow->document()->setModified(modified);
}

void TLumadesk::Save1Click() {
    saveSource();
}

// A file the user never named (a new text) is saved through Save As.
bool TLumadesk::saveSource() {
    if (!named_ || currentFile_.isEmpty()) {
        SaveAs1Click();
        return !EditWindow->document()->isModified();
    }
    return writeSource(currentFile_);
}

void TLumadesk::SaveAs1Click() {
    const QString proposed = saveFileName_.isEmpty() ? UntitledFile : saveFileName_;
    const QString chosen = dialogs_->saveFileName("Save As", proposed, SaveFilter);
    if (chosen.isEmpty() || !writeSource(chosen))
        return;
    currentFile_ = QFileInfo(chosen).absoluteFilePath();
    saveFileName_ = currentFile_;
    named_ = true;
    setCaption(currentFile_);
}

bool TLumadesk::writeSource(const QString& path) {
    const QByteArray bytes = sourceBytes(EditWindow->toPlainText());
    if (!common::writeFileAtomically(path.toStdString(),
                                     std::string_view(bytes.data(), bytes.size()), saveProgress_)) {
        dialogs_->message(MessageTitle, QString("Cannot save file %1").arg(path), Buttons::Ok,
                          Icon::Error);
        return false;
    }
    EditWindow->document()->setModified(false);
    return true;
}

void TLumadesk::Print1Click() {
    QPrinter printer;
    if (!dialogs_->choosePrinter(printer))
        return;
    printer.setDocName(windowTitle());
    EditWindow->print(&printer);
}

void TLumadesk::Exit1Click() {
    close();
}

void TLumadesk::SpeedExitClick() {
    Timer1->setInterval(0);
    Timer1->stop();
    if (!close())
        Timer1->start(StartTimerInterval);
}

} // namespace kavo::ide
