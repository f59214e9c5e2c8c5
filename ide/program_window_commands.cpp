// TProgram's commands: loading an object file (ProgOpenClick) and the chip commands
// (ProgReadClick, ProgEraseClick, ProgBlankCheckClick, ProgVerifyClick, ProgProgramClick),
// which go to the main window's ChipCommandRunner for the configured programmer type.
#include "ide/program_window.hpp"

#include "common/line_tools.hpp"
#include "compiler/run/compiler_settings.hpp"
#include "ide/config_window.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/program_window_host.hpp"
#include "ide/progress_dialogs.hpp"

#include <QCloseEvent>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QToolBar>

namespace kavo::ide {

using programmer::ChipCommand;

namespace {

const QString HexFileFilter =
    "Hex files (.sxh)|*.sxh|Object files (.obj)|*.obj|All files (*.*)|*.*";

} // namespace

void TProgram::ProgOpenClick() {
    const QString folder = QDir(main_.startupDirectory())
                               .filePath(QString::fromStdString(
                                   normaliseDirectory(main_.ideSettings().objDir) + "*.sxh"));
    const QString path = dialogs_.openFileName("Open Hex File", folder, HexFileFilter);
    if (path.isEmpty())
        return;
    ProgramEdit->clear();
    if (main_.loadObjectFile(path, true)) {
        showMemory();
        setStatusText(QString("Loaded hex file \"%1\"").arg(path));
    } else {
        setStatusText(QString("Load hex file \"%1\" FAILED!").arg(path));
    }
}

void TProgram::ProgReadClick() {
    runChipCommand(ChipCommand::Read);
}

void TProgram::ProgEraseClick() {
    runChipCommand(ChipCommand::Erase);
}

void TProgram::ProgBlankCheckClick() {
    runChipCommand(ChipCommand::BlankCheck);
}

void TProgram::ProgVerifyClick() {
    runChipCommand(ChipCommand::Verify);
}

void TProgram::ProgProgramClick() {
    runChipCommand(ChipCommand::Program);
}

// A command runs to its end before another can start: the driver lets window events run,
// and a second click must not start a second exchange on the same port.
void TProgram::runChipCommand(ChipCommand command) {
    if (commandRunning_ || !programmerKnown(command))
        return;
    programmer::ChipCommandRunner* runner = main_.chipCommandRunner();
    if (runner == nullptr) {
        dialogs_.message(ProgrammerErrorTitle,
                         QString("No programmer driver is available for \"%1\".")
                             .arg(main_.ConfigWindow->programmerType()),
                         Buttons::Ok, Icon::Error);
        return;
    }
    prepareSession();
    const programmer::ProgramImage before = image_;
    commandRunning_ = true;
    ProgToolBar->setEnabled(false);
    host_->beginCommand();
    const bool succeeded = runner->run(command, connection(), session_, *host_);
    ProgToolBar->setEnabled(true);
    commandRunning_ = false;
    endCommand(succeeded, before);
}

// The window stays while a command holds the port; closing it asks the command to stop.
void TProgram::closeEvent(QCloseEvent* event) {
    if (!commandRunning_) {
        event->accept();
        return;
    }
    session_.readCancel = true;
    session_.programCancel = true;
    event->ignore();
}

bool TProgram::programmerKnown(ChipCommand command) {
    const std::string type = main_.ConfigWindow->programmerType().toStdString();
    if (type == programmer::SxBlitzProgrammer || type == programmer::IspProgrammer)
        return true;
    dialogs_.message(ProgrammerErrorTitle,
                     command == ChipCommand::Verify ? "Programmer not supported yet."
                                                    : "Programmer not supported yet",
                     Buttons::Ok, Icon::Error);
    return false;
}

// The memory size follows the device choice; the erase time is the configuration window's
// field as it stands, the other times are the settings'. No Cancel of an earlier command
// may stop this one.
void TProgram::prepareSession() {
    const IdeSettings& settings = main_.ideSettings();
    session_.times.erase =
        common::readIdeNumber(main_.ConfigWindow->EraseTime->text().toStdString());
    session_.times.fuse = settings.fuseProgTime;
    session_.times.fusex = settings.fusexProgTime;
    session_.times.e2flash = settings.e2flashProgTime;
    session_.readCancel = false;
    session_.programCancel = false;
}

programmer::ProgrammerConnection TProgram::connection() const {
    programmer::ProgrammerConnection link;
    link.programmerType = main_.ConfigWindow->programmerType().toStdString();
    link.serialPort = main_.ideSettings().serialPortName;
    link.parallelPort = main_.ideSettings().parallelPort;
    return link;
}

// Whatever the driver left undone: a failed command gives back the image, FUSE and FUSEX it
// found (the read buffer keeps what arrived), a progress dialog still running can be closed,
// and the reload tick runs again.
void TProgram::endCommand(bool succeeded, const programmer::ProgramImage& before) {
    if (!succeeded && (image_.words != before.words || image_.fuse != before.fuse ||
                       image_.fusex != before.fusex)) {
        image_ = before;
        showMemory();
    }
    for (ProgressDialog* dialog :
         {static_cast<ProgressDialog*>(ReadMem), static_cast<ProgressDialog*>(BlankCheck),
          static_cast<ProgressDialog*>(ProgMem), static_cast<ProgressDialog*>(VerifyMem)})
        if (dialog->isVisible() && dialog->running())
            dialog->finish();
    if (!main_.Timer1->isActive())
        main_.Timer1->start(TickInterval);
}

} // namespace kavo::ide
