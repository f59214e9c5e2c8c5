// TProgram's option controls read as ConfigurationOptions and set from them (options,
// showOptions), the device choice with its layout (Pins_18Click, Pins_28Click, Pins_48Click)
// and the memory view (showMemory).
#include "ide/program_window.hpp"

#include "common/hex_view_text.hpp"

#include <QCheckBox>
#include <QGroupBox>
#include <QPlainTextEdit>
#include <QRadioButton>

namespace kavo::ide {

using programmer::Brownout;
using programmer::ConfigurationOptions;
using programmer::Oscillator;
using programmer::PinCount;
using programmer::ResetTimer;

namespace {

// The radio button of each choice, in the order of the choice's enumeration.
template <typename Choice, std::size_t N>
Choice chosen(const std::array<QRadioButton*, N>& buttons, Choice fallback) {
    for (std::size_t i = 0; i < N; ++i)
        if (buttons[i]->isChecked())
            return static_cast<Choice>(i);
    return fallback;
}

template <typename Choice, std::size_t N>
void choose(const std::array<QRadioButton*, N>& buttons, Choice choice) {
    buttons[static_cast<std::size_t>(choice)]->setChecked(true);
}

} // namespace

std::array<std::pair<Oscillator, QRadioButton*>, 13> TProgram::oscillatorButtons() const {
    return {{{Oscillator::Input, OscDiv[0]},
             {Oscillator::HS3, OscDiv[1]},
             {Oscillator::HS2, OscDiv[2]},
             {Oscillator::HS1, OscDiv[3]},
             {Oscillator::XT2, OscDiv[4]},
             {Oscillator::XT1, OscDiv[5]},
             {Oscillator::LP2, OscDiv[6]},
             {Oscillator::LP1, OscDiv[7]},
             {Oscillator::Internal4MHz, Radio_LP},
             {Oscillator::Internal1MHz, Radio_HS},
             {Oscillator::Internal128kHz, Radio_XT},
             {Oscillator::Internal32kHz, Radio_32},
             {Oscillator::ExternalRC, Radio_RC}}};
}

ConfigurationOptions TProgram::options() const {
    ConfigurationOptions o;
    o.pins = chosen(std::array{Pins_18, Pins_28, Pins_48}, PinCount::Pins18);
    o.turbo = Turbo->isChecked();
    o.sync = Sync->isChecked();
    o.stack = Stack->isChecked();
    o.codeProtect = CodeProtect->isChecked();
    o.watchdog = Watchdog->isChecked();
    o.carryFlagInput = CarryFlagInput->isChecked();
    o.sx48Sync = SX48_Sync->isChecked();
    o.sx48Sleep = SX48_Sleep->isChecked();
    o.sx48CodeProtect = SX48_CP->isChecked();
    o.sx48Watchdog = SX48_Watchdog->isChecked();
    o.sx48CarryFlag = SX48_CF->isChecked();
    o.oscillator = Oscillator::Input;
    for (const auto& [choice, button] : oscillatorButtons())
        if (button->isChecked())
            o.oscillator = choice;
    o.brownout = chosen(std::array{Brown_off, Brown_42, Brown_26, Brown_22}, Brownout::Off);
    o.resetTimer =
        chosen(std::array{Reset_18ms, Reset_60ms, Reset_960ms, Reset_60us}, ResetTimer::Ms18);
    o.crystalDrive = Crystal_Drive->isChecked();
    o.crystalFeedback = Crystal_Feedback->isChecked();
    return o;
}

void TProgram::showOptions(const ConfigurationOptions& o) {
    choose(std::array{Pins_18, Pins_28, Pins_48}, o.pins);
    showDevice(o.pins);
    Turbo->setChecked(o.turbo);
    Sync->setChecked(o.sync);
    Stack->setChecked(o.stack);
    CodeProtect->setChecked(o.codeProtect);
    Watchdog->setChecked(o.watchdog);
    CarryFlagInput->setChecked(o.carryFlagInput);
    SX48_Sync->setChecked(o.sx48Sync);
    SX48_Sleep->setChecked(o.sx48Sleep);
    SX48_CP->setChecked(o.sx48CodeProtect);
    SX48_Watchdog->setChecked(o.sx48Watchdog);
    SX48_CF->setChecked(o.sx48CarryFlag);
    for (const auto& [choice, button] : oscillatorButtons())
        if (choice == o.oscillator)
            button->setChecked(true);
    choose(std::array{Brown_off, Brown_42, Brown_26, Brown_22}, o.brownout);
    choose(std::array{Reset_18ms, Reset_60ms, Reset_960ms, Reset_60us}, o.resetTimer);
    Crystal_Drive->setChecked(o.crystalDrive);
    Crystal_Feedback->setChecked(o.crystalFeedback);
}

void TProgram::Pins_18Click() {
    showDevice(PinCount::Pins18);
}

void TProgram::Pins_28Click() {
    showDevice(PinCount::Pins28);
}

void TProgram::Pins_48Click() {
    showDevice(PinCount::Pins48);
}

// The memory size of the part and the groups of its options, each in its place.
void TProgram::showDevice(PinCount pins) {
    const bool large = pins == PinCount::Pins48;
    session_.memoryWords = large ? 4096 : 2048;
    GroupBox2->setVisible(!large);
    GroupBox_52Options->setVisible(large);
    Reset_timer->setVisible(large);
    Crystal_options->setVisible(large);
    if (large) {
        GroupBox_52Options->move(416, 24);
        Reset_timer->move(416, 128);
        Crystal_options->move(416, Crystal_options->y());
        GroupBox3->move(GroupBox3->x(), 176);
        Brownout->move(Brownout->x(), 360);
    } else {
        GroupBox2->move(GroupBox2->x(), 38);
        GroupBox3->move(GroupBox3->x(), 200);
        Brownout->move(Brownout->x(), 352);
    }
}

void TProgram::showMemory() {
    ProgramEdit->setPlainText(
        QString::fromStdString(common::hexViewText(image_.words, programmer::ErasedWord)));
    ProgramEdit->moveCursor(QTextCursor::Start);
    ProgramEdit->ensureCursorVisible();
}

} // namespace kavo::ide
