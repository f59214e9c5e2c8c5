// TVariables (the picker and its buttons), TVarMonWin (the monitor grid with the values of the
// last stop), TVarModifyDialog (ModVarButOkClick) and TAddVarDialog (AddVarButOkClick).
#include "ide/variable_windows.hpp"

#include "common/line_tools.hpp"
#include "ide/lumadesk_window.hpp"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace kavo::ide {

using debugger::VariableRecord;

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    return b;
}

QLineEdit* field(QWidget* parent, const char* name) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    return edit;
}

QTableWidgetItem* cell(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    return item;
}

} // namespace

// ---- TVarMonWin

TVarMonWin::TVarMonWin(DebuggerState& state, QWidget* parent)
    : QWidget(parent, Qt::Window), state_(state) {
    setObjectName("VarMonWin");
    setWindowTitle("Lumadesk Variable Monitor");
    VarMonitor = new QTableWidget(0, 5, this);
    VarMonitor->setObjectName("VarMonitor");
    VarMonitor->setHorizontalHeaderLabels({"Address", "Var Name", "Scope", "Size", "Value"});
    VarMonitor->verticalHeader()->hide();
    VarMonitor->horizontalHeader()->setStretchLastSection(true);
    VarMonitor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setTextVisible(false);
    MonChangedBut = button(this, "MonChangedBut", "View Changed", "");
    connect(MonChangedBut, &QPushButton::clicked, this, &TVarMonWin::viewChangedToggled);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(VarMonitor, 1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(MonChangedBut);
    resize(460, 320);
}

bool TVarMonWin::changedSinceLastStop(const VariableRecord& record) const {
    const auto now = state_.currentValues.find(record.address);
    const auto before = state_.previousValues.find(record.address);
    return now != state_.currentValues.end() && before != state_.previousValues.end() &&
           now->second != before->second;
}

void TVarMonWin::VarMonitorClick() {
    const bool hasValues = state_.session.has_value();
    VarMonitor->setRowCount(0);
    for (const VariableRecord& record : state_.variables) {
        const bool changed = changedSinceLastStop(record);
        if (!record.picked || (state_.viewChanged && !changed))
            continue;
        const int row = VarMonitor->rowCount();
        VarMonitor->insertRow(row);
        VarMonitor->setItem(row, 0,
                            cell(QString::fromStdString(
                                debugger::addressText(record.address, state_.addressFormat))));
        VarMonitor->setItem(row, 1, cell(QString::fromStdString(record.name)));
        VarMonitor->setItem(row, 2,
                            cell(QString::fromStdString(debugger::scopeText(record.scope))));
        VarMonitor->setItem(row, 3, cell(QString::asprintf("%3d", record.size)));
        QString value;
        if (hasValues) {
            const unsigned raw =
                state_.session->readValue(static_cast<unsigned>(record.address), record.size);
            value =
                QString::fromStdString(debugger::valueText(raw, record.size, state_.dataFormat));
        }
        QTableWidgetItem* valueCell = cell(value);
        if (changed)
            valueCell->setForeground(QColor(255, 0, 0));
        VarMonitor->setItem(row, 4, valueCell);
    }
    VarMonitor->resizeColumnsToContents();
    ProgressBar1->setValue(0);
}

// ---- TVarModifyDialog

TVarModifyDialog::TVarModifyDialog(DebuggerState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), state_(state), dialogs_(dialogs) {
    setObjectName("VarModifyDialog");
    setWindowTitle("Modify Variable");
    nameLabel_ = new QLabel(this);
    nameLabel_->setObjectName("ModVarName");
    addressLabel_ = new QLabel(this);
    addressLabel_->setObjectName("ModVarAddress");
    NewValue = field(this, "NewValue");
    auto* ok = button(this, "ModVarButOk", "Modify", "");
    auto* cancel = button(this, "ModVarButCancel", "Cancel", "");
    connect(ok, &QPushButton::clicked, this, &TVarModifyDialog::ModVarButOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow("Name:", nameLabel_);
    form->addRow("Address:", addressLabel_);
    form->addRow("New value:", NewValue);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);
}

void TVarModifyDialog::showRecord(const VariableRecord* record) {
    record_ = record;
    nameLabel_->setText(record ? QString::fromStdString(record->name) : QString());
    addressLabel_->setText(record ? QString::number(record->address) : QString());
    NewValue->clear();
}

void TVarModifyDialog::ModVarButOkClick() {
    if (record_ == nullptr) {
        dialogs_.message(MessageTitle, "You must first select a variable to modify.", Buttons::Ok,
                         Icon::Warning);
        return;
    }
    const QString text = NewValue->text().trimmed();
    if (text.isEmpty()) {
        dialogs_.message(MessageTitle, "You have entered an invalid value!.", Buttons::Ok,
                         Icon::Warning);
        return;
    }
    if (state_.modifications.size() < debugger::MaxVariables)
        state_.modifications.push_back(
            {record_->name, record_->address, common::readIdeNumber(text.toStdString()), false});
    accept();
}

// ---- TAddVarDialog

TAddVarDialog::TAddVarDialog(DebuggerState& state, QWidget* parent)
    : QDialog(parent), state_(state) {
    setObjectName("AddVarDialog");
    setWindowTitle("Add Variable");
    VarName = field(this, "VarName");
    VarAddress = field(this, "VarAddress");
    VarSize = field(this, "VarSize");
    auto* ok = button(this, "AddVarButOk", "OK", "");
    auto* cancel = button(this, "AddVarButCancel", "Cancel", "");
    connect(ok, &QPushButton::clicked, this, &TAddVarDialog::AddVarButOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow("Name:", VarName);
    form->addRow("Address:", VarAddress);
    form->addRow("Size:", VarSize);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    form->addRow(buttons);
}

void TAddVarDialog::AddVarButOkClick() {
    debugger::appendVariable(state_.variables, VarName->text().toStdString(),
                             common::readIdeNumber(VarAddress->text().toStdString()),
                             common::readIdeNumber(VarSize->text().toStdString()));
    emit added();
    accept();
}

// ---- TVariables

TVariables::TVariables(TLumadesk& window, DebuggerState& state, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), window_(window), state_(state) {
    setObjectName("Variables");
    setWindowTitle("Lumadesk Select Variables");
    VarHeader = new QLabel(this);
    VarHeader->setObjectName("VarHeader");
    VarHeader->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    PickVariables = new QListWidget(this);
    PickVariables->setObjectName("PickVariables");
    PickVariables->setSelectionMode(QAbstractItemView::MultiSelection);
    PickVariables->setSortingEnabled(true);
    PickVariables->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(PickVariables, &QListWidget::itemClicked, this, &TVariables::PickVariablesClick);

    VarModifyDialog = new TVarModifyDialog(state_, dialogs, this);
    AddVarDialog = new TAddVarDialog(state_, this);
    connect(AddVarDialog, &TAddVarDialog::added, this, [this] {
        fillList();
        picksChanged();
    });

    auto* buttons = new QHBoxLayout;
    const struct {
        const char* name;
        const char* text;
        const char* hint;
        void (TVariables::*handler)();
    } rows[] = {
        {"VarAll", "All", "Select All Variables", &TVariables::VarAllClick},
        {"VarNone", "None", "Remove All Selections", &TVariables::VarNoneClick},
        {"VarInScope", "InScope", "Select Variables With Same Scope", &TVariables::VarInScopeClick},
        {"VarAddDialog", "Add...", "Add a Custom Variable", &TVariables::VarAddDialogClick},
        {"VarModify", "Modify...", "Modify Variable Value", &TVariables::VarModifyClick},
        {"VarReload", "Reload", "Reload Variable Table From File", &TVariables::VarReloadClick},
        {"VarDone", "Done", "Done Selectting Variables", &TVariables::VarDoneClick},
    };
    for (const auto& row : rows) {
        QPushButton* b = button(this, row.name, row.text, row.hint);
        connect(b, &QPushButton::clicked, this, row.handler);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(VarHeader);
    layout->addWidget(PickVariables, 1);
    layout->addLayout(buttons);
    resize(560, 360);
}

void TVariables::fillList() {
    filling_ = true;
    PickVariables->setUpdatesEnabled(false);
    PickVariables->clear();
    VarHeader->setText(QString::fromStdString(debugger::pickerHeader(state_.layout)));
    for (std::size_t i = 0; i < state_.variables.size(); ++i) {
        const VariableRecord& record = state_.variables[i];
        auto* item = new QListWidgetItem(QString::fromStdString(
            debugger::pickerLine(record, state_.layout, state_.addressFormat)));
        item->setData(Qt::UserRole, static_cast<int>(i));
        PickVariables->addItem(item);
    }
    for (int row = 0; row < PickVariables->count(); ++row) {
        QListWidgetItem* item = PickVariables->item(row);
        VariableRecord& record = state_.variables[item->data(Qt::UserRole).toInt()];
        record.listIndex = row;
        item->setSelected(record.picked);
    }
    PickVariables->setUpdatesEnabled(true);
    filling_ = false;
}

VariableRecord* TVariables::chosenRecord() {
    QListWidgetItem* item = PickVariables->currentItem();
    if (item == nullptr)
        return nullptr;
    return &state_.variables[item->data(Qt::UserRole).toInt()];
}

void TVariables::picksChanged() {
    if (state_.monitor != nullptr)
        state_.monitor->VarMonitorClick();
}

void TVariables::VarAllClick() {
    for (VariableRecord& record : state_.variables)
        record.picked = true;
    fillList();
    picksChanged();
}

void TVariables::VarNoneClick() {
    for (VariableRecord& record : state_.variables)
        record.picked = false;
    fillList();
    picksChanged();
}

void TVariables::PickVariablesClick(QListWidgetItem* item) {
    if (filling_ || item == nullptr)
        return;
    VariableRecord& record = state_.variables[item->data(Qt::UserRole).toInt()];
    record.picked = !record.picked;
    item->setSelected(record.picked);
    picksChanged();
}

void TVariables::VarInScopeClick() {
    const VariableRecord* chosen = chosenRecord();
    if (chosen == nullptr)
        return;
    const std::string scope = chosen->scope;
    for (VariableRecord& record : state_.variables) {
        if (record.scope == scope)
            record.picked = true;
    }
    fillList();
    picksChanged();
}

void TVariables::VarAddDialogClick() {
    AddVarDialog->VarName->clear();
    AddVarDialog->VarAddress->clear();
    AddVarDialog->VarSize->clear();
    AddVarDialog->open();
}

void TVariables::VarModifyClick() {
    VarModifyDialog->showRecord(chosenRecord());
    VarModifyDialog->open();
}

void TVariables::VarReloadClick() {
    window_.loadVariables(true);
    picksChanged();
}

void TVariables::VarDoneClick() {
    picksChanged();
    close();
}

} // namespace kavo::ide
