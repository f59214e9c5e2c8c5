// TLumadesk's views of the compiler's outputs: the listing (AssemblyFile1Click and the
// listing follow), the program memory image (HexFile1Click, SpeedProgramClick), the reload
// after a compile (Timer1Timer) and the configuration windows.
#include "ide/lumadesk_window.hpp"

#include "common/line_tools.hpp"
#include "compiler/run/compiler_settings.hpp"
#include "ide/assembly_window.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/hex_code_window.hpp"
#include "ide/program_window.hpp"
#include "ide/source_editor.hpp"

#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QThread>
#include <QTimer>

#include <filesystem>

namespace kavo::ide {

namespace {
// A new object file is given this long to be complete before it is read.
constexpr unsigned long ReloadWait = 1000;
} // namespace

QString TLumadesk::outputPath(const std::string& folder, const std::string& extension) const {
    const std::string base = common::baseName(currentFile_.toStdString());
    if (base.empty())
        return {};
    const std::string relative = normaliseDirectory(folder) + base + "." + extension;
    return QDir::cleanPath(QDir(startupDir_).filePath(QString::fromStdString(relative)));
}

// The compiler writes the listing beside the assembly file.
QString TLumadesk::listingPath() const {
    return outputPath(settings_.asmDir, settings_.lstExtension);
}

QString TLumadesk::objectPath() const {
    return outputPath(settings_.objDir, settings_.objExtension);
}

void TLumadesk::AssemblyFile1Click() {
    const QString path = listingPath();
    if (!path.isEmpty())
        Assembly->loadListing(path);
    Assembly->show();
    Assembly->raise();
}

void TLumadesk::followListing() {
    if (Assembly->isVisible())
        Assembly->followSourceLine(EditWindow->caretLine() + 1);
}

void TLumadesk::HexFile1Click() {
    ViewHexCode->showImage(image_);
    ViewHexCode->show();
    ViewHexCode->raise();
}

bool TLumadesk::loadObjectFile(const QString& path, bool complain) {
    if (programmer::readObjectFile(path.toStdString(), image_))
        return true;
    if (complain)
        dialogs_->message(MessageTitle, QString("Cannot open Hex file %1\n").arg(path), Buttons::Ok,
                          Icon::Error);
    return false;
}

// The current source's object file goes into the program memory image, which the program
// window shows.
void TLumadesk::SpeedProgramClick() {
    QDir::setCurrent(startupDir_);
    const QString path = objectPath();
    if (!path.isEmpty() && !QFileInfo::exists(path)) {
        showNoObjectFile();
        Program->show();
        Program->raise();
        return;
    }
    if (!path.isEmpty())
        loadObjectFile(path, true);
    Program->showMemory();
    Program->show();
    Program->raise();
}

void TLumadesk::Timer1Timer() {
    Timer1->stop();
    if (EditWindow->caretLine() != lastCaretLine_) {
        lastCaretLine_ = EditWindow->caretLine();
        followListing();
    }
    if (!compiling_)
        reloadAfterCompile();
    lineCountCheck();
    Timer1->start(TickInterval);
}

QString TLumadesk::noObjectFileText() const {
    return QString("There is no object file %1: compile the program without errors first.")
        .arg(objectPath());
}

void TLumadesk::showNoObjectFile() {
    image_ = programmer::ProgramImage{};
    ViewHexCode->ProgramEdit->setPlainText(noObjectFileText());
    Program->ProgramEdit->setPlainText(noObjectFileText());
    Program->setStatusText(noObjectFileText());
}

// Once a compile has written a new object file (the watch of debugger/object_watch.hpp): the
// image, the hex view, the variables and the visible listing are loaded again, once.
void TLumadesk::reloadAfterCompile() {
    if (!objectWatchArmed_)
        return;
    const QString path = objectPath();
    if (path.isEmpty() || !debug_->objectWatch.changed(std::filesystem::path(path.toStdString())))
        return;
    objectWatchArmed_ = false;
    QThread::msleep(ReloadWait);
    loadObjectFile(path, true);
    ViewHexCode->showImage(image_);
    if (Program->isVisible())
        Program->showMemory();
    loadVariables(true);
    if (Assembly->isVisible())
        Assembly->loadListing(listingPath());
}

void TLumadesk::Configuration1Click() {
    CompilerConfig->ReadRegistry();
    CompilerConfig->exec();
    CompilerConfig->ReadRegistry();
}

void TLumadesk::SpeedButton1Click() {
    ConfigWindow->exec();
}

} // namespace kavo::ide
