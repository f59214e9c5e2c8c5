// TLumadesk's tool bar (createToolBar) and main menu (createMenus), and the compiler-only
// state that hides the debugger's controls (enterCompilerOnlyState).
#include "ide/lumadesk_window.hpp"

#include <QMenuBar>
#include <QToolBar>

namespace kavo::ide {

namespace {

using Handler = void (TLumadesk::*)();

QAction* command(QWidget* owner, TLumadesk* window, const char* name, const QString& text,
                 Handler handler, const QKeySequence& shortcut = {}) {
    auto* action = new QAction(text, window);
    action->setObjectName(name);
    action->setShortcut(shortcut);
    if (handler != nullptr)
        QObject::connect(action, &QAction::triggered, window, handler);
    owner->addAction(action);
    return action;
}

QAction* button(QToolBar* bar, TLumadesk* window, const char* name, const QString& hint,
                Handler handler, const QKeySequence& shortcut = {}) {
    QAction* action =
        command(bar, window, name, hint.isEmpty() ? QString("Setup") : hint, handler, shortcut);
    action->setToolTip(hint);
    return action;
}

QMenu* menu(QMenuBar* bar, const char* name, const QString& title) {
    QMenu* m = bar->addMenu(title);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    return m;
}

QMenu* subMenu(QMenu* parent, const char* name, const QString& title,
               std::initializer_list<std::pair<const char*, const char*>> items) {
    QMenu* m = parent->addMenu(title);
    m->setObjectName(name);
    m->menuAction()->setObjectName(name);
    for (const auto& [itemName, text] : items) {
        auto* action = m->addAction(text);
        action->setObjectName(itemName);
    }
    return m;
}

void hideAndDisable(QAction* action) {
    action->setVisible(false);
    action->setEnabled(false);
}

} // namespace

void TLumadesk::createToolBar() {
    ToolBar1 = addToolBar("Tools");
    ToolBar1->setObjectName("ToolBar1");
    ToolBar1->setMovable(false);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextOnly);
    ToolBar1->setMinimumHeight(36);
    button(ToolBar1, this, "SpeedOpen", "Open", &TLumadesk::Open1Click);
    button(ToolBar1, this, "SpeedSave", "Save", &TLumadesk::Save1Click);
    ToolBar1->addSeparator();
    button(ToolBar1, this, "SpeedCopy", "Copy", &TLumadesk::Copy1Click);
    button(ToolBar1, this, "SpeedCut", "Cut", &TLumadesk::Cut1Click);
    button(ToolBar1, this, "SpeedPaste", "Paste", &TLumadesk::Paste1Click);
    ToolBar1->addSeparator();
    button(ToolBar1, this, "SpeedBrk", "Set/Clear Breakpoints", &TLumadesk::SpeedBrkClick,
           QKeySequence(Qt::Key_F9));
    button(ToolBar1, this, "SpeedButton1", "", &TLumadesk::SpeedButton1Click);
    button(ToolBar1, this, "SpeedCompile", "Compile", &TLumadesk::SpeedCompileClick);
    button(ToolBar1, this, "SpeedProgram", "Launch Programmer", &TLumadesk::SpeedProgramClick);
    button(ToolBar1, this, "SpeedExit2", "Exit", &TLumadesk::SpeedExitClick);
    button(ToolBar1, this, "SpeedReset", "Reset", &TLumadesk::SpeedResetClick);
    // The debugger's keys act only while its buttons are shown (hidden actions take no keys).
    button(ToolBar1, this, "SpeedStep", "Step", &TLumadesk::SpeedStepClick,
           QKeySequence(Qt::Key_F10));
    button(ToolBar1, this, "SpeedRun", "Run", &TLumadesk::SpeedRunClick, QKeySequence(Qt::Key_F5));
    button(ToolBar1, this, "SpeedStop", "Stop", &TLumadesk::SpeedStopClick,
           QKeySequence(Qt::SHIFT | Qt::Key_F5));
    ToolBar1->addSeparator();
    button(ToolBar1, this, "SpeedVars", "Pick Variables", &TLumadesk::SpeedVarsClick);
    button(ToolBar1, this, "SpeedExit", "Exit", &TLumadesk::SpeedExitClick);
}

void TLumadesk::createMenus() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");

    QMenu* file = menu(MainMenu1, "File1", "File");
    command(file, this, "New1", "New", &TLumadesk::New1Click);
    command(file, this, "Open1", "Open", &TLumadesk::Open1Click, QKeySequence::Open);
    command(file, this, "Save1", "Save", &TLumadesk::Save1Click, QKeySequence::Save);
    command(file, this, "SaveAs1", "Save As...", &TLumadesk::SaveAs1Click,
            QKeySequence("Ctrl+Shift+S"));
    command(file, this, "SaveProject1", "Save Project", &TLumadesk::SaveProject1Click);
    file->addSeparator();
    command(file, this, "Print1", "Print...", &TLumadesk::Print1Click);
    file->addSeparator();
    command(file, this, "Exit1", "Exit", &TLumadesk::Exit1Click);

    QMenu* edit = menu(MainMenu1, "Edit1", "Edit");
    command(edit, this, "Undo1", "Undo", &TLumadesk::Undo1Click);
    edit->addSeparator();
    command(edit, this, "Cut1", "Cut", &TLumadesk::Cut1Click, QKeySequence("Ctrl+X"));
    command(edit, this, "Copy1", "Copy", &TLumadesk::Copy1Click, QKeySequence("Ctrl+C"));
    command(edit, this, "Paste1", "Paste", &TLumadesk::Paste1Click, QKeySequence("Ctrl+V"));
    command(edit, this, "SelectAll", "Select All", &TLumadesk::SelectAllClick,
            QKeySequence("Ctrl+A"));
    edit->addSeparator();
    command(edit, this, "Find1", "Find...", &TLumadesk::Find1Click, QKeySequence("Ctrl+F"));
    command(edit, this, "Next1", "Next", &TLumadesk::Next1Click, QKeySequence("Ctrl+N"));
    command(edit, this, "Replace1", "Replace...", nullptr, QKeySequence("Ctrl+R"));
    command(edit, this, "GoToLine1", "Go to Line...", &TLumadesk::GoToLine1Click,
            QKeySequence("Ctrl+G"));
    edit->addSeparator();
    command(edit, this, "Configuration1", "Configuration...", &TLumadesk::Configuration1Click);
    command(edit, this, "DebuggerProgrammer1", "Debugger/Programmer...",
            &TLumadesk::SpeedButton1Click);
    subMenu(edit, "Font1", "Font",
            {{"Editor1", "Editor"}, {"AssemblyListing1", "Assembly Listing"}});

    QMenu* tools = menu(MainMenu1, "Tools1", "Tools");
    command(tools, this, "CompileOriginal1", "Compile Original", &TLumadesk::SpeedCompileClick,
            QKeySequence(Qt::Key_F7));
    command(tools, this, "CompileDebugCopy1", "Compile Debug Copy",
            &TLumadesk::CompileDebugCopy1Click);

    QMenu* breakpoints = menu(MainMenu1, "Breakpoints1", "Breakpoints");
    command(breakpoints, this, "SetBreakpoints1", "Set Breakpoints",
            &TLumadesk::SetBreakpoints1Click);
    command(breakpoints, this, "ClearBreakpoints1", "Clear Breakpoints",
            &TLumadesk::ClearBreakpoints1Click);
    command(breakpoints, this, "ClearAllBreakpoints1", "Clear All Breakpoints",
            &TLumadesk::ClearAllBreakpoints1Click);

    QMenu* view = menu(MainMenu1, "View1", "View");
    subMenu(view, "VarAddressesIn1", "Var Addresses In",
            {{"Hex1", "Hex"}, {"Decimal1", "Decimal"}, {"BanksHex1", "Banks && Hex"}});
    subMenu(view, "VarDataIn1", "Var Data In",
            {{"Hex2", "Hex"}, {"Decimal2", "Decimal"}, {"ASCII1", "ASCII"}});
    subMenu(view, "SortVariables1", "Sort Variables",
            {{"byName1", "by Name"}, {"byAddress1", "by Address"}, {"byScope1", "by Scope"}});
    command(view, this, "AssemblyFile1", "Assembly File", &TLumadesk::AssemblyFile1Click);
    command(view, this, "HexFile1", "Hex File", &TLumadesk::HexFile1Click);

    QMenu* variables = menu(MainMenu1, "Variables1", "Variables");
    command(variables, this, "Load1", "Load...", nullptr);
    command(variables, this, "All1", "All", &TLumadesk::All1Click);
    command(variables, this, "None1", "None", &TLumadesk::None1Click);
    command(variables, this, "Pick1", "Pick", &TLumadesk::SpeedVarsClick);
    command(variables, this, "Done1", "Done", nullptr);
    variables->addSeparator();
    command(variables, this, "ViewChanged1", "View Changed", &TLumadesk::ViewChanged1Click);
    command(variables, this, "Add1", "Add...", nullptr);

    command(MainMenu1, this, "Programmer1", "Programmer", &TLumadesk::SpeedProgramClick);
    menu(MainMenu1, "Help1", "Help");
}

// The debugger's controls stay hidden until the debug target is chosen. Unlike the debug
// controls, the debugger/programmer configuration (SpeedButton1 and its menu item) stays
// enabled: it is the only way to choose the debug target and the programmer.
void TLumadesk::enterCompilerOnlyState() {
    for (const char* name :
         {"SpeedStep", "SpeedRun", "SpeedStop", "SpeedVars", "CompileDebugCopy1", "SaveProject1",
          "VarAddressesIn1", "VarDataIn1", "SortVariables1", "Font1"})
        hideAndDisable(findChild<QAction*>(name));
    for (const char* name : {"Breakpoints1", "Variables1", "Help1"})
        hideAndDisable(findChild<QMenu*>(name)->menuAction());
    findChild<QAction*>("SpeedExit2")->setVisible(false);
}

} // namespace kavo::ide

namespace kavo::ide {

void TLumadesk::showDebuggerControls(bool show) {
    for (const char* name : {"SpeedReset", "SpeedStep", "SpeedRun", "SpeedStop", "SpeedVars"}) {
        QAction* control = findChild<QAction*>(name);
        control->setVisible(show || std::string_view(name) == "SpeedReset");
        control->setEnabled(show || std::string_view(name) == "SpeedReset");
    }
    // The debugger's menus go with its buttons.
    for (const char* name :
         {"CompileDebugCopy1", "SaveProject1", "VarAddressesIn1", "VarDataIn1", "SortVariables1"}) {
        findChild<QAction*>(name)->setVisible(show);
        findChild<QAction*>(name)->setEnabled(show);
    }
    for (const char* name : {"Breakpoints1", "Variables1"}) {
        findChild<QMenu*>(name)->menuAction()->setVisible(show);
        findChild<QMenu*>(name)->menuAction()->setEnabled(show);
    }
}

} // namespace kavo::ide
