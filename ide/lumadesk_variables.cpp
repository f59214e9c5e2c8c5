// TLumadesk's variable commands: the debugger's windows and state (createDebuggerWindows),
// loadVariables, the "Variables" menu (All1Click, None1Click, SpeedVarsClick for Pick and the
// tool bar, ViewChanged1Click) and the "View" menu's formats and sort orders.
#include "ide/lumadesk_window.hpp"

#include "common/line_tools.hpp"
#include "compiler/run/compiler_settings.hpp"
#include "ide/c_highlighter.hpp"
#include "ide/debugger_state.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"

#include <QActionGroup>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

#include <set>

namespace kavo::ide {

void TLumadesk::createDebuggerWindows() {
    debug_->runTimer = new QTimer(this);
    debug_->runTimer->setObjectName("RunTimer");
    connect(debug_->runTimer, &QTimer::timeout, this, &TLumadesk::runSlice);
    VarMonWin = new TVarMonWin(*debug_, this);
    Variables = new TVariables(*this, *debug_, *dialogs_, this);
    debug_->monitor = VarMonWin;
    debug_->picker = Variables;
    connect(VarMonWin, &TVarMonWin::viewChangedToggled, this, &TLumadesk::ViewChanged1Click);
    connect(Variables->VarModifyDialog, &QDialog::accepted, this,
            &TLumadesk::applyPendingModifications);
    if (auto* highlighter = EditWindow->document()->findChild<CHighlighter*>())
        highlighter->setBreakpointLines(
            [this](int line) { return debug_->breakpoints.isBreakpointLine(line); });
    connect(EditWindow, &QPlainTextEdit::textChanged, this, &TLumadesk::lineCountCheck);
    connectVariableMenus();
}

namespace {

// Makes a sub-menu's items a checked choice and calls choose with the chosen item's index.
template <typename Choose>
void choice(TLumadesk* window, std::initializer_list<const char*> names, int checked,
            Choose choose) {
    auto* group = new QActionGroup(window);
    int index = 0;
    for (const char* name : names) {
        QAction* item = window->findChild<QAction*>(name);
        item->setCheckable(true);
        item->setChecked(index == checked);
        group->addAction(item);
        QObject::connect(item, &QAction::triggered, window, [choose, index] { choose(index); });
        ++index;
    }
}

} // namespace

void TLumadesk::connectVariableMenus() {
    using namespace debugger;
    choice(this, {"Decimal1", "Hex1", "BanksHex1"}, 0, [this](int i) {
        debug_->addressFormat = static_cast<AddressFormat>(i);
        loadVariables(false);
    });
    choice(this, {"Decimal2", "Hex2", "ASCII1"}, 0, [this](int i) {
        debug_->dataFormat = static_cast<DataFormat>(i);
        VarMonWin->VarMonitorClick();
    });
    choice(this, {"byName1", "byAddress1", "byScope1"}, 0, [this](int i) {
        debug_->layout = static_cast<ListLayout>(i);
        loadVariables(false);
    });
    findChild<QAction*>("ViewChanged1")->setCheckable(true);
}

// Reloading reads the assembly file's symbol listing again; the records that were picked
// stay picked when the new listing has them.
void TLumadesk::loadVariables(bool reload) {
    if (reload) {
        std::set<std::pair<std::string, std::string>> picked;
        for (const debugger::VariableRecord& r : debug_->variables) {
            if (r.picked)
                picked.insert({r.name, r.scope});
        }
        debug_->variables.clear();
        const QString path = outputPath(settings_.asmDir, settings_.asmExtension);
        auto records = debugger::loadVariablesFile(path.toStdString());
        if (records) {
            debug_->variables = std::move(*records);
            for (debugger::VariableRecord& r : debug_->variables)
                r.picked = picked.contains({r.name, r.scope});
        } else {
            setStatus(1,
                      QString("Cannot load variables information. [%1%2.%3]")
                          .arg(QString::fromStdString(normaliseDirectory(settings_.asmDir)),
                               QString::fromStdString(common::baseName(currentFile_.toStdString())),
                               QString::fromStdString(settings_.asmExtension)));
        }
    }
    Variables->fillList();
    VarMonWin->VarMonitorClick();
}

void TLumadesk::All1Click() {
    Variables->VarAllClick();
}

void TLumadesk::None1Click() {
    Variables->VarNoneClick();
}

void TLumadesk::SpeedVarsClick() {
    loadVariables(false);
    VarMonWin->show();
    VarMonWin->raise();
    Variables->show();
    Variables->raise();
}

void TLumadesk::ViewChanged1Click() {
    debug_->viewChanged = !debug_->viewChanged;
    findChild<QAction*>("ViewChanged1")->setChecked(debug_->viewChanged);
    VarMonWin->MonChangedBut->setText(debug_->viewChanged ? "View All Selected" : "View Changed");
    VarMonWin->VarMonitorClick();
}

} // namespace kavo::ide
