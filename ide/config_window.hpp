// TConfigWindow, the debugger/programmer configuration ("ConfigWindow"): the programmer type
// and debug target, the serial port, the target clock, the PC speed, the programming times,
// the compiler executable and configuration file, the debugger's folder and extension.
#pragma once

#include "ide/dialogs.hpp"
#include "ide/ide_settings.hpp"

#include <QDialog>

#include <array>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QScrollBar;

namespace kavo::ide {

class TLumadesk;

// The serial ports both configuration dialogs offer: "COM1:".."COM4:", then the USB serial
// adapters found now. Their port fields also take any device path typed in.
QStringList serialPortChoices();

class TConfigWindow : public QDialog {
    Q_OBJECT
public:
    TConfigWindow(IdeSettings& settings, TLumadesk& window, QWidget* parent = nullptr);

    QString programmerType() const { return programmerType_; }

    QComboBox *ProgrammerType, *PortConfig;
    QScrollBar* PCspeedScroll;
    QLineEdit *RomTime, *EraseTime, *FuseTime, *FuseXTime;
    QLineEdit *NewCompilerExe, *NewCompilerCfgFile2, *DbgStartDir, *DbgExtension;
    // The oscillator choices from "32+MHz" (OSC_SPEED 8) down to "125 KHz" (0).
    std::array<QRadioButton*, 9> oscillators;

public slots:
    void FormShow();
    void OKButtonClick();
    void ConfigCancelClick();
    void UndoConfigClick();
    void PortConfigChange();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildForm();
    void showSettings();

    IdeSettings& settings_;
    TLumadesk& window_;
    IdeSettings remembered_;
    QString programmerType_ = "SX-Blitz";
};

} // namespace kavo::ide
