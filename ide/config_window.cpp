// TConfigWindow: the form (buildForm), opening (FormShow remembers the settings for Undo),
// OKButtonClick, ConfigCancelClick, UndoConfigClick and the controls that change a setting
// at once.
#include "ide/config_window.hpp"

#include "common/line_tools.hpp"
#include "ide/debugger_state.hpp"
#include "ide/lumadesk_window.hpp"
#include "programmer/serial_link.hpp"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>

namespace kavo::ide {

namespace {

const char* const OscillatorTexts[] = {"32+MHz", "16 MHz",  "8 MHz",   "4 MHz",  "2 MHz",
                                       "1 MHz",  "500 KHz", "250 KHz", "125 KHz"};
const char* const OscillatorNames[] = {"_32MHz", "_16MHz",  "_8MHz",   "_4MHz",  "_2MHz",
                                       "_1MHz",  "_500KHz", "_250KHz", "_125KHz"};
constexpr int FastestOscillator = 8;

QLineEdit* field(QWidget* parent, const char* name, const QString& text = {}) {
    auto* edit = new QLineEdit(text, parent);
    edit->setObjectName(name);
    return edit;
}

void showNumber(QLineEdit* edit, int value) {
    edit->setText(QString::number(value));
}

int numberIn(const QLineEdit* edit) {
    return common::readIdeNumber(edit->text().toStdString());
}

} // namespace

TConfigWindow::TConfigWindow(IdeSettings& settings, TLumadesk& window, QWidget* parent)
    : QDialog(parent), settings_(settings), window_(window) {
    buildForm();
}

void TConfigWindow::buildForm() {
    setObjectName("ConfigWindow");
    setWindowTitle("ConfigWindow");
    setModal(true);

    ProgrammerType = new QComboBox(this);
    ProgrammerType->setObjectName("ProgrammerType");
    ProgrammerType->addItems({"SX-Blitz", "Lumadesk", SimulatorTarget});
    // With no programmer configured, the simulator is the debug target offered.
    ProgrammerType->setCurrentText(SimulatorTarget);
    PortConfig = new QComboBox(this);
    PortConfig->setObjectName("PortConfig");
    PortConfig->setEditable(true);
    PortConfig->addItems(serialPortChoices());
    connect(PortConfig, &QComboBox::currentTextChanged, this, &TConfigWindow::PortConfigChange);

    auto* clock = new QGroupBox("Target clock", this);
    auto* clockGrid = new QGridLayout(clock);
    for (int i = 0; i < 9; ++i) {
        oscillators[i] = new QRadioButton(OscillatorTexts[i], clock);
        oscillators[i]->setObjectName(OscillatorNames[i]);
        clockGrid->addWidget(oscillators[i], i / 3, i % 3);
        const int speed = FastestOscillator - i;
        connect(oscillators[i], &QRadioButton::clicked, this,
                [this, speed] { settings_.oscSpeed = speed; });
    }

    PCspeedScroll = new QScrollBar(Qt::Horizontal, this);
    PCspeedScroll->setObjectName("PCspeedScroll");
    PCspeedScroll->setRange(1, 32);
    connect(PCspeedScroll, &QScrollBar::valueChanged, this,
            [this](int value) { settings_.pcSpeed = value; });
    auto* speedRow = new QHBoxLayout;
    speedRow->addWidget(new QLabel("FAST", this));
    speedRow->addWidget(PCspeedScroll, 1);
    speedRow->addWidget(new QLabel("SLOW", this));

    auto* times = new QGroupBox("Programming times (ms)", this);
    auto* timeForm = new QFormLayout(times);
    timeForm->addRow("Prog Mem", RomTime = field(times, "RomTime", "200"));
    timeForm->addRow("Erase", EraseTime = field(times, "EraseTime", "1000"));
    timeForm->addRow("Fuse", FuseTime = field(times, "FuseTime", "500"));
    timeForm->addRow("FuseX", FuseXTime = field(times, "FuseXTime", "500"));

    auto* tools = new QGroupBox("Compiler and debugger", this);
    auto* toolForm = new QFormLayout(tools);
    toolForm->addRow("Executable", NewCompilerExe = field(tools, "NewCompilerExe"));
    toolForm->addRow("Config File", NewCompilerCfgFile2 = field(tools, "NewCompilerCfgFile2"));
    toolForm->addRow("Start Directory:", DbgStartDir = field(tools, "DbgStartDir"));
    toolForm->addRow("Extension", DbgExtension = field(tools, "DbgExtension", "dbp"));
    connect(NewCompilerExe, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.compilerExe = text.toStdString(); });
    connect(NewCompilerCfgFile2, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.compilerConfigFile = text.toStdString(); });
    connect(DbgStartDir, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.debugDir = text.toStdString(); });
    connect(DbgExtension, &QLineEdit::textEdited, this,
            [this](const QString& text) { settings_.debugExtension = text.toStdString(); });

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("OKButton");
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("ConfigCancel");
    auto* undo = new QPushButton("Undo Changes", this);
    undo->setObjectName("UndoConfig");
    connect(ok, &QPushButton::clicked, this, &TConfigWindow::OKButtonClick);
    connect(cancel, &QPushButton::clicked, this, &TConfigWindow::ConfigCancelClick);
    connect(undo, &QPushButton::clicked, this, &TConfigWindow::UndoConfigClick);

    auto* form = new QFormLayout;
    form->addRow("Programmer", ProgrammerType);
    form->addRow("Port", PortConfig);
    form->addRow("PC speed", speedRow);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(undo);
    auto* grid = new QGridLayout(this);
    grid->addLayout(form, 0, 0);
    grid->addWidget(clock, 0, 1);
    grid->addWidget(times, 1, 0);
    grid->addWidget(tools, 1, 1);
    grid->addLayout(buttons, 2, 0, 1, 2);
}

void TConfigWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FormShow();
}

// Opening remembers the settings, so that Undo Changes and Cancel can restore them.
void TConfigWindow::FormShow() {
    remembered_ = settings_;
    showSettings();
}

void TConfigWindow::showSettings() {
    PCspeedScroll->setValue(settings_.pcSpeed);
    NewCompilerExe->setText(QString::fromStdString(settings_.compilerExe));
    NewCompilerCfgFile2->setText(QString::fromStdString(settings_.compilerConfigFile));
    DbgStartDir->setText(QString::fromStdString(settings_.debugDir));
    DbgExtension->setText(QString::fromStdString(settings_.debugExtension));
    showNumber(RomTime, settings_.e2flashProgTime);
    showNumber(EraseTime, settings_.eraseProgTime);
    showNumber(FuseTime, settings_.fuseProgTime);
    showNumber(FuseXTime, settings_.fusexProgTime);
    const int index = FastestOscillator - settings_.oscSpeed;
    if (index >= 0 && index <= FastestOscillator)
        oscillators[index]->setChecked(true);
    PortConfig->setCurrentText(QString::fromStdString(settings_.serialPortName));
}

// A name typed in is a device path; an empty field keeps the first port.
void TConfigWindow::PortConfigChange() {
    const QString chosen = PortConfig->currentText().trimmed();
    setSerialPortName(settings_, chosen.isEmpty() ? std::string("COM1:") : chosen.toStdString());
}

QStringList serialPortChoices() {
    QStringList choices = {"COM1:", "COM2:", "COM3:", "COM4:"};
    for (const std::string& device : programmer::foundSerialDevices())
        choices << QString::fromStdString(device);
    return choices;
}

void TConfigWindow::OKButtonClick() {
    settings_.parallelRegisters = parallelPortRegisters(settings_.parallelPort);
    programmerType_ = ProgrammerType->currentText();
    window_.showDebuggerControls(programmerType_ == "Lumadesk" ||
                                 programmerType_ == SimulatorTarget);
    if (!settings_.compilerConfigFile.empty())
        readIdeSettings(QDir(window_.startupDirectory())
                            .filePath(QString::fromStdString(settings_.compilerConfigFile))
                            .toStdString(),
                        settings_);
    settings_.e2flashProgTime = numberIn(RomTime);
    settings_.fuseProgTime = numberIn(FuseTime);
    settings_.eraseProgTime = numberIn(EraseTime);
    settings_.fusexProgTime = numberIn(FuseXTime);
    PortConfigChange();
    accept();
}

void TConfigWindow::UndoConfigClick() {
    settings_.parallelPort = remembered_.parallelPort;
    settings_.pcSpeed = remembered_.pcSpeed;
    settings_.compilerExe = remembered_.compilerExe;
    settings_.compilerConfigFile = remembered_.compilerConfigFile;
    settings_.oscSpeed = remembered_.oscSpeed;
    settings_.debugDir = remembered_.debugDir;
    settings_.debugExtension = remembered_.debugExtension;
    settings_.e2flashProgTime = remembered_.e2flashProgTime;
    settings_.eraseProgTime = remembered_.eraseProgTime;
    settings_.fuseProgTime = remembered_.fuseProgTime;
    settings_.fusexProgTime = remembered_.fusexProgTime;
    showSettings();
}

void TConfigWindow::ConfigCancelClick() {
    UndoConfigClick();
    reject();
}

} // namespace kavo::ide
