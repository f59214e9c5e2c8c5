// The progress windows a chip command shows while it runs: TReadMem, TBlankCheck, TProgMem and
// TVerifyMem. Each has a progress bar, an address field and one button. While the command
// runs the button reads "Cancel" and sets the command's cancel flag (the command notices it
// the next time it lets window events run); once the command has ended it reads "OK" and
// closes the window. Closing the window by its frame counts as pressing the button.
#pragma once

#include "programmer/chip_commands.hpp"

#include <QDialog>

class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;

namespace kavo::ide {

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    // A new command: the bar runs from 0 to maximum, the address is empty, the button reads
    // "Cancel"; the window is shown.
    void start(int maximum);
    void setAddress(const QString& text);
    void setPosition(int position);
    // The command has ended: the same button now closes the window.
    void finish();
    bool running() const;
    // Hides the window without counting as a press of the button.
    void dismiss();

    QProgressBar* ProgressBar;
    QPushButton* CancelButton;

public slots:
    void CancelClick();
    void reject() override;

protected:
    ProgressDialog(const char* name, const QString& caption, const QString& addressCaption,
                   const char* addressName, bool& cancelFlag, QWidget* parent);
    // What a subclass clears when a new command starts.
    virtual void clearFields() {}
    QVBoxLayout* fields() const { return fields_; }
    QLabel* addressValue() const { return address_; }

private:
    QVBoxLayout* fields_;
    QLabel* address_;
    bool& cancelFlag_;
};

class TReadMem : public ProgressDialog {
    Q_OBJECT
public:
    TReadMem(bool& readCancel, QWidget* parent);
    QLabel* ReadMemAddrVal;
};

class TBlankCheck : public ProgressDialog {
    Q_OBJECT
public:
    TBlankCheck(bool& readCancel, QWidget* parent);
    QLabel* BlankMemAddrVal;
};

class TProgMem : public ProgressDialog {
    Q_OBJECT
public:
    TProgMem(bool& programCancel, QWidget* parent);
    // "%02d:%02d", minutes and seconds.
    void setRemaining(const QString& text);

    QLabel* ProgMemAddrVal;
    QLabel* Remaining;
    QLabel* Erasing;
    QLabel* Calibrating;

protected:
    void clearFields() override;
};

class TVerifyMem : public ProgressDialog {
    Q_OBJECT
public:
    TVerifyMem(bool& readCancel, QWidget* parent);
    void tick(programmer::VerifiedPart part);

    QLabel* VerifyMemAddrVal;
    QCheckBox* Device;
    QCheckBox* Mem;
    QCheckBox* Fuse;
    QCheckBox* Fusex;

protected:
    void clearFields() override;
};

} // namespace kavo::ide
