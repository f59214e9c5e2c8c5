// TProgram's form: the tool bar, the option groups in their places for the 18/28-pin parts,
// the memory view, the status bar and the progress dialogs.
#include "ide/program_window.hpp"

#include "ide/lumadesk_window.hpp"
#include "ide/program_window_host.hpp"
#include "ide/progress_dialogs.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>

namespace kavo::ide {

namespace {

// The form's columns: the 18/28-pin groups on the left, the 48/52-pin groups beside them.
constexpr int LeftColumn = 8;
constexpr int LeftWidth = 400;
constexpr int RightColumn = 416;
constexpr int RightWidth = 300;
constexpr int MemoryTop = 408;
constexpr int FormWidth = RightColumn + RightWidth + 8;
constexpr int FormHeight = 610;

QGroupBox* group(QWidget* form, const char* name, const QString& caption, QRect place) {
    auto* box = new QGroupBox(caption, form);
    box->setObjectName(name);
    box->setGeometry(place);
    return box;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& caption, bool ticked) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setChecked(ticked);
    return box;
}

QRadioButton* radio(QWidget* parent, const char* name, const QString& caption,
                    bool chosen = false) {
    auto* button = new QRadioButton(caption, parent);
    button->setObjectName(name);
    button->setChecked(chosen);
    return button;
}

QGridLayout* compactGrid(QGroupBox* box) {
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(8, 2, 8, 2);
    grid->setVerticalSpacing(0);
    return grid;
}

// A single row of controls across a group.
QHBoxLayout* compactRow(QGroupBox* box) {
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(8, 0, 8, 0);
    return row;
}

} // namespace

TProgram::TProgram(TLumadesk& main, programmer::ProgramImage& image, Dialogs& dialogs,
                   QWidget* parent)
    : QMainWindow(parent, Qt::Window), main_(main), image_(image), dialogs_(dialogs),
      session_(image) {
    setObjectName("Program");
    setWindowTitle("Program SX chip");
    auto* form = new QWidget(this);
    form->setObjectName("ProgramForm");
    form->setMinimumSize(FormWidth, FormHeight);
    setCentralWidget(form);
    createToolBar();
    createPins(form);
    createOptions(form);
    createOscillator(form);
    createBrownoutAndResetTimer(form);
    createCrystalAndCalibration(form);
    createMemoryView(form);
    createProgressDialogs();
    host_ = std::make_unique<ProgramWindowHost>(*this, dialogs_, *main_.Timer1);
    Pins_18Click();
    move(55, 70);
}

TProgram::~TProgram() = default;

void TProgram::createToolBar() {
    ProgToolBar = addToolBar("Program");
    ProgToolBar->setObjectName("ProgToolBar");
    ProgToolBar->setMovable(false);
    ProgToolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto add = [this](const char* name, const QString& text, const QString& hint,
                      void (TProgram::*handler)()) {
        QAction* action = ProgToolBar->addAction(text);
        action->setObjectName(name);
        action->setToolTip(hint);
        if (handler != nullptr)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    ProgOpen = add("ProgOpen", "Open", "Open Hex File", &TProgram::ProgOpenClick);
    // Saving the image has no command.
    ProgSave = add("ProgSave", "Save", "Save Hex File", nullptr);
    ProgBlankCheck = add("ProgBlankCheck", "Blank Check", "Check If Microcontroller is erased",
                         &TProgram::ProgBlankCheckClick);
    ProgProgram =
        add("ProgProgram", "Program", "Program Microcontroller", &TProgram::ProgProgramClick);
    ProgVerify =
        add("ProgVerify", "Verify", "Verify Microcontroller Code", &TProgram::ProgVerifyClick);
    ProgRead = add("ProgRead", "Read", "Read From Microcontroller", &TProgram::ProgReadClick);
    ProgErase = add("ProgErase", "Erase", "Erase Microcontroller Program Memory",
                    &TProgram::ProgEraseClick);
}

void TProgram::createPins(QWidget* form) {
    ProgPins = group(form, "ProgPins", "Pins", {LeftColumn, 0, LeftWidth, 36});
    QHBoxLayout* row = compactRow(ProgPins);
    Pins_18 = radio(ProgPins, "Pins_18", "18", true);
    Pins_28 = radio(ProgPins, "Pins_28", "28");
    // The 48/52-pin parts are not offered.
    Pins_48 = radio(ProgPins, "Pins_48", "48/52");
    Pins_48->setVisible(false);
    Pins_48->setEnabled(false);
    for (QRadioButton* button : {Pins_18, Pins_28, Pins_48})
        row->addWidget(button);
    connect(Pins_18, &QRadioButton::clicked, this, &TProgram::Pins_18Click);
    connect(Pins_28, &QRadioButton::clicked, this, &TProgram::Pins_28Click);
    connect(Pins_48, &QRadioButton::clicked, this, &TProgram::Pins_48Click);
}

void TProgram::createOptions(QWidget* form) {
    GroupBox2 = group(form, "GroupBox2", "Options", {LeftColumn, 38, LeftWidth, 158});
    auto* grid = compactGrid(GroupBox2);
    Turbo = checkBox(GroupBox2, "Turbo", "Turbo", false);
    Sync = checkBox(GroupBox2, "Sync", "Sync Input Mode", false);
    Stack = checkBox(GroupBox2, "Stack", "Stack/Opt Ext.", true);
    CodeProtect = checkBox(GroupBox2, "CodeProtect", "Code Protection", false);
    Watchdog = checkBox(GroupBox2, "Watchdog", "Watchdog Enable", false);
    CarryFlagInput = checkBox(GroupBox2, "CarryFlagInput", "Carry Flag Input", false);
    int row = 0;
    for (QCheckBox* box : {Turbo, Sync, Stack, CodeProtect, Watchdog, CarryFlagInput})
        grid->addWidget(box, row++, 0);

    GroupBox_52Options =
        group(form, "GroupBox_52Options", "Options", {RightColumn, 24, RightWidth, 100});
    auto* large = compactGrid(GroupBox_52Options);
    SX48_Sync = checkBox(GroupBox_52Options, "SX48_Sync", "Sync Input Mode", false);
    SX48_Sleep = checkBox(GroupBox_52Options, "SX48_Sleep", "SleepClock", true);
    SX48_CP = checkBox(GroupBox_52Options, "SX48_CP", "Code Protection", false);
    SX48_Watchdog = checkBox(GroupBox_52Options, "SX48_Watchdog", "Watchdog Enable", false);
    SX48_CF = checkBox(GroupBox_52Options, "SX48_CF", "Carry Flag Input", false);
    int i = 0;
    for (QCheckBox* box : {SX48_Sync, SX48_Sleep, SX48_CP, SX48_Watchdog, SX48_CF}) {
        large->addWidget(box, i % 3, i / 3);
        ++i;
    }
}

// One group of radio buttons: only one oscillator can be chosen.
void TProgram::createOscillator(QWidget* form) {
    GroupBox3 = group(form, "GroupBox3", "Oscillator Options", {LeftColumn, 200, LeftWidth, 148});
    auto* grid = compactGrid(GroupBox3);
    const char* const names[] = {"OscDiv_0", "OscDiv_1", "OscDiv_2", "OscDiv_3",
                                 "OscDiv_4", "OscDiv_5", "OscDiv_6", "OscDiv_7"};
    const char* const captions[] = {"Input", "HS3", "HS2", "HS1", "XT2", "XT1", "LP2", "LP1"};
    grid->addWidget(new QLabel("External", GroupBox3), 0, 0, 1, 2);
    for (int i = 0; i < 8; ++i) {
        OscDiv[i] = radio(GroupBox3, names[i], captions[i], i == 0);
        grid->addWidget(OscDiv[i], 1 + i % 4, i / 4);
    }
    grid->addWidget(new QLabel("Internal", GroupBox3), 0, 2);
    Radio_LP = radio(GroupBox3, "Radio_LP", "4MHz");
    Radio_HS = radio(GroupBox3, "Radio_HS", "1MHz");
    Radio_XT = radio(GroupBox3, "Radio_XT", "128KHz");
    Radio_32 = radio(GroupBox3, "Radio_32", "32KHz");
    int row = 1;
    for (QRadioButton* button : {Radio_LP, Radio_HS, Radio_XT, Radio_32})
        grid->addWidget(button, row++, 2);
    Radio_RC = radio(GroupBox3, "Radio_RC", "External RC");
    grid->addWidget(Radio_RC, 5, 0, 1, 2);
}

void TProgram::createBrownoutAndResetTimer(QWidget* form) {
    Brownout = group(form, "Brownout", "Brownout", {LeftColumn, 352, LeftWidth, 48});
    QHBoxLayout* levels = compactRow(Brownout);
    Brown_off = radio(Brownout, "Brown_off", "Off", true);
    Brown_42 = radio(Brownout, "Brown_42", "4.2V");
    Brown_26 = radio(Brownout, "Brown_26", "2.6V");
    Brown_22 = radio(Brownout, "Brown_22", "2.2V");
    for (QRadioButton* button : {Brown_off, Brown_42, Brown_26, Brown_22})
        levels->addWidget(button);

    Reset_timer = group(form, "Reset_timer", "Reset Timer", {RightColumn, 128, RightWidth, 70});
    auto* timers = compactGrid(Reset_timer);
    Reset_18ms = radio(Reset_timer, "Reset_18ms", "18mS", true);
    Reset_60ms = radio(Reset_timer, "Reset_60ms", "60mS");
    Reset_960ms = radio(Reset_timer, "Reset_960ms", "960mS");
    Reset_60us = radio(Reset_timer, "Reset_60us", ".060mS");
    int i = 0;
    for (QRadioButton* button : {Reset_18ms, Reset_60ms, Reset_960ms, Reset_60us}) {
        timers->addWidget(button, i % 2, i / 2);
        ++i;
    }
}

void TProgram::createCrystalAndCalibration(QWidget* form) {
    Crystal_options = group(form, "Crystal_options", "", {RightColumn, 204, RightWidth, 44});
    QHBoxLayout* crystal = compactRow(Crystal_options);
    Crystal_Drive = checkBox(Crystal_options, "Crystal_Drive", "Crystal Buffer", true);
    Crystal_Feedback = checkBox(Crystal_options, "Crystal_Feedback", "Crystal Feedback", true);
    crystal->addWidget(Crystal_Drive);
    crystal->addWidget(Crystal_Feedback);

    // Calibration is not offered: the chip keeps its own.
    GroupBox5 =
        group(form, "GroupBox5", "Oscillator Calibration", {RightColumn, 300, RightWidth, 52});
    OscCalibration = new QComboBox(GroupBox5);
    OscCalibration->setObjectName("OscCalibration");
    OscCalibration->addItems({"Preserve", "4 MHz", "Slowest", "Fastest"});
    OscCalibration->setCurrentIndex(0);
    (new QHBoxLayout(GroupBox5))->addWidget(OscCalibration);
    GroupBox5->setVisible(false);

    auto* idLabel = new QLabel("ID", form);
    idLabel->setGeometry(RightColumn, 260, 20, 24);
    IDWord = new QLineEdit(form);
    IDWord->setObjectName("IDWord");
    IDWord->setToolTip("Device ID");
    IDWord->setGeometry(RightColumn + 24, 260, 120, 24);
    idLabel->setBuddy(IDWord);
}

void TProgram::createMemoryView(QWidget* form) {
    ProgramEdit = new QPlainTextEdit(form);
    ProgramEdit->setObjectName("ProgramEdit");
    ProgramEdit->setReadOnly(true);
    ProgramEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    ProgramEdit->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ProgramEdit->setGeometry(LeftColumn, MemoryTop, FormWidth - 2 * LeftColumn,
                             FormHeight - MemoryTop - 4);

    ProgStatusBar = new QStatusBar(this);
    ProgStatusBar->setObjectName("ProgStatusBar");
    status_ = new QLabel(ProgStatusBar);
    ProgStatusBar->addWidget(status_, 1);
    setStatusBar(ProgStatusBar);
}

void TProgram::createProgressDialogs() {
    ReadMem = new TReadMem(session_.readCancel, this);
    BlankCheck = new TBlankCheck(session_.readCancel, this);
    ProgMem = new TProgMem(session_.programCancel, this);
    VerifyMem = new TVerifyMem(session_.readCancel, this);
}

ProgressDialog* TProgram::progressDialog(programmer::ProgressKind kind) const {
    switch (kind) {
    case programmer::ProgressKind::Read:
        return ReadMem;
    case programmer::ProgressKind::BlankCheck:
        return BlankCheck;
    case programmer::ProgressKind::Program:
        return ProgMem;
    case programmer::ProgressKind::Verify:
        return VerifyMem;
    }
    return ReadMem;
}

QString TProgram::statusText() const {
    return status_->text();
}

void TProgram::setStatusText(const QString& text) {
    status_->setText(text);
}

} // namespace kavo::ide
