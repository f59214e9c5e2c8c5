// TProgram, the program window ("Program SX chip"): the SX device and its configuration
// options, the object file loaded into the program memory image, and the chip commands Read,
// Erase, Blank Check, Verify and Program. The window talks to no hardware itself: a command
// goes to the ChipCommandRunner the main window holds, for the programmer type of the
// debugger/programmer configuration, and the runner's driver shows what it does through the
// window (its ProgrammerHost) and the four progress dialogs.
#pragma once

#include "ide/dialogs.hpp"
#include "programmer/chip_commands.hpp"
#include "programmer/configuration_words.hpp"

#include <QMainWindow>

#include <array>
#include <memory>
#include <utility>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace kavo::ide {

class ProgramWindowHost;
class ProgressDialog;
class TBlankCheck;
class TLumadesk;
class TProgMem;
class TReadMem;
class TVerifyMem;

inline constexpr const char* ProgrammerErrorTitle = "Programmer Error";

class TProgram : public QMainWindow {
    Q_OBJECT
public:
    // The window works on the main window's program memory image.
    TProgram(TLumadesk& main, programmer::ProgramImage& image, Dialogs& dialogs,
             QWidget* parent = nullptr);
    ~TProgram() override;

    QGroupBox* ProgPins;
    QRadioButton *Pins_18, *Pins_28, *Pins_48;
    QGroupBox* GroupBox2;
    QCheckBox *Turbo, *Sync, *Stack, *CodeProtect, *Watchdog, *CarryFlagInput;
    QGroupBox* GroupBox_52Options;
    QCheckBox *SX48_Sync, *SX48_Sleep, *SX48_CP, *SX48_Watchdog, *SX48_CF;
    QGroupBox* GroupBox3;
    std::array<QRadioButton*, 8> OscDiv; // OscDiv_0 "Input" to OscDiv_7 "LP1"
    QRadioButton *Radio_LP, *Radio_HS, *Radio_XT, *Radio_32, *Radio_RC;
    QGroupBox* Brownout;
    QRadioButton *Brown_off, *Brown_42, *Brown_26, *Brown_22;
    QGroupBox* Reset_timer;
    QRadioButton *Reset_18ms, *Reset_60ms, *Reset_960ms, *Reset_60us;
    QGroupBox* Crystal_options;
    QCheckBox *Crystal_Drive, *Crystal_Feedback;
    QGroupBox* GroupBox5;
    QComboBox* OscCalibration;
    QLineEdit* IDWord;
    QToolBar* ProgToolBar;
    QAction *ProgOpen, *ProgSave, *ProgBlankCheck, *ProgProgram, *ProgVerify, *ProgRead, *ProgErase;
    QPlainTextEdit* ProgramEdit;
    QStatusBar* ProgStatusBar;
    TReadMem* ReadMem;
    TBlankCheck* BlankCheck;
    TProgMem* ProgMem;
    TVerifyMem* VerifyMem;

    // The option controls as they stand, and setting them (the device layout follows).
    programmer::ConfigurationOptions options() const;
    void showOptions(const programmer::ConfigurationOptions& options);
    // ProgramEdit shows the image as the hex view does, from its start.
    void showMemory();
    QString statusText() const;
    void setStatusText(const QString& text);
    ProgressDialog* progressDialog(programmer::ProgressKind kind) const;
    // The chip state kept between commands: read buffer, device word, memory size, cancel flags.
    programmer::ChipSession& session() { return session_; }
    bool commandRunning() const { return commandRunning_; }

public slots:
    void ProgOpenClick();
    void ProgReadClick();
    void ProgEraseClick();
    void ProgBlankCheckClick();
    void ProgVerifyClick();
    void ProgProgramClick();
    void Pins_18Click();
    void Pins_28Click();
    void Pins_48Click();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createToolBar();
    void createPins(QWidget* form);
    void createOptions(QWidget* form);
    void createOscillator(QWidget* form);
    void createBrownoutAndResetTimer(QWidget* form);
    void createCrystalAndCalibration(QWidget* form);
    void createMemoryView(QWidget* form);
    void createProgressDialogs();
    std::array<std::pair<programmer::Oscillator, QRadioButton*>, 13> oscillatorButtons() const;
    void showDevice(programmer::PinCount pins);

    void runChipCommand(programmer::ChipCommand command);
    bool programmerKnown(programmer::ChipCommand command);
    void prepareSession();
    programmer::ProgrammerConnection connection() const;
    void endCommand(bool succeeded, const programmer::ProgramImage& before);

    TLumadesk& main_;
    programmer::ProgramImage& image_;
    Dialogs& dialogs_;
    programmer::ChipSession session_;
    std::unique_ptr<ProgramWindowHost> host_;
    QLabel* status_;
    bool commandRunning_ = false;
};

} // namespace kavo::ide
