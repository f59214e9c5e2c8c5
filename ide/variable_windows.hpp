// The variable views: the picker TVariables ("Lumadesk Select Variables") lists the variables
// table in the chosen layout and address format and picks the ones to watch; the monitor
// TVarMonWin ("Lumadesk Variable Monitor") shows the picked ones with their values on the
// debug target; TVarModifyDialog queues a new value for a variable and TAddVarDialog adds one
// the listing does not show.
#pragma once

#include "ide/debugger_state.hpp"
#include "ide/dialogs.hpp"

#include <QDialog>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace kavo::ide {

class TLumadesk;

class TVarMonWin : public QWidget {
    Q_OBJECT
public:
    TVarMonWin(DebuggerState& state, QWidget* parent = nullptr);

    QTableWidget* VarMonitor;
    QProgressBar* ProgressBar1;
    QPushButton* MonChangedBut;

    // Rebuilds the grid from the picked records (the changed ones in the View Changed mode).
    void VarMonitorClick();
    // Whether the record's value differs from the stop before the last one.
    bool changedSinceLastStop(const debugger::VariableRecord& record) const;

signals:
    void viewChangedToggled();

private:
    DebuggerState& state_;
};

class TVarModifyDialog : public QDialog {
    Q_OBJECT
public:
    TVarModifyDialog(DebuggerState& state, Dialogs& dialogs, QWidget* parent = nullptr);

    // Shows the chosen record (nullptr: none chosen) with an empty new value.
    void showRecord(const debugger::VariableRecord* record);
    QLineEdit* NewValue;

public slots:
    void ModVarButOkClick();

private:
    DebuggerState& state_;
    Dialogs& dialogs_;
    const debugger::VariableRecord* record_ = nullptr;
    QLabel* nameLabel_;
    QLabel* addressLabel_;
};

class TAddVarDialog : public QDialog {
    Q_OBJECT
public:
    TAddVarDialog(DebuggerState& state, QWidget* parent = nullptr);

    QLineEdit *VarName, *VarAddress, *VarSize;

public slots:
    void AddVarButOkClick();

signals:
    void added();

private:
    DebuggerState& state_;
};

class TVariables : public QDialog {
    Q_OBJECT
public:
    TVariables(TLumadesk& window, DebuggerState& state, Dialogs& dialogs,
               QWidget* parent = nullptr);

    QLabel* VarHeader;
    QListWidget* PickVariables;
    TVarModifyDialog* VarModifyDialog;
    TAddVarDialog* AddVarDialog;

    // Lists the table in the chosen layout; lines of picked records are selected.
    void fillList();

public slots:
    void VarAllClick();
    void VarNoneClick();
    void VarInScopeClick();
    void VarAddDialogClick();
    void VarModifyClick();
    void VarReloadClick();
    void VarDoneClick();
    void PickVariablesClick(QListWidgetItem* item);

private:
    // The record of the list's current line, or nullptr.
    debugger::VariableRecord* chosenRecord();
    void picksChanged();

    TLumadesk& window_;
    DebuggerState& state_;
    bool filling_ = false;
};

} // namespace kavo::ide
