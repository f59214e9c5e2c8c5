// TLumadesk's views of the compiler's outputs: the listing (AssemblyFile1Click and the
// listing follow), the program memory image (HexFile1Click, SpeedProgramClick), the reload
// after a compile (Timer1Timer) and the configuration windows.
#include "ide/lumadesk_window.hpp"

#include "compiler/run/compiler_settings.hpp"
#include "ide/assembly_window.hpp"
#include "ide/compiler_config_window.hpp"
#include "ide/config_window.hpp"
#include "ide/hex_code_window.hpp"
#include "ide/line_tools.hpp"
#include "ide/program_window.hpp"
#include "ide/source_editor.hpp"

#include <QDir>
#include <QFileInfo>
#include <QTimer>

namespace kavo::ide {

QString TLumadesk::outputPath(const std::string& folder, const std::string& extension) const {
    const std::string base = baseName(currentFile_.toStdString());
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
    if (!path.isEmpty() && loadObjectFile(path, true))
        objectWriteTime_ = QFileInfo(path).lastModified();
    Program->showMemory();
    Program->show();
    Program->raise();
}

void TLumadesk::Timer1Timer() {
    Timer1->stop();
    if (!compiling_)
        reloadAfterCompile();
    if (EditWindow->caretLine() != lastCaretLine_) {
        lastCaretLine_ = EditWindow->caretLine();
        followListing();
    }
    Timer1->start(TickInterval);
}

// Once a compile has written a new object file: the image, the hex view and the visible
// listing are loaded again.
void TLumadesk::reloadAfterCompile() {
    if (!objectWatchArmed_)
        return;
    const QString path = objectPath();
    const QFileInfo object(path);
    if (path.isEmpty() || !object.exists() || object.lastModified() == objectWriteTime_)
        return;
    objectWriteTime_ = object.lastModified();
    loadObjectFile(path, false);
    if (ViewHexCode->isVisible())
        ViewHexCode->showImage(image_);
    if (Program->isVisible())
        Program->showMemory();
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
