// TLumadesk, the IDE's main window: the source editor, the results pane that receives the
// compiler's messages, the tool bar, the main menu and the two-panel status bar. Compiles run
// in-process on the window's thread. The window owns the IDE settings, the program memory
// image and the listing, hex and configuration windows.
#pragma once

#include "common/atomic_file.hpp"
#include "ide/dialogs.hpp"
#include "ide/ide_settings.hpp"
#include "programmer/program_image.hpp"

#include <QMainWindow>

#include <memory>
#include <vector>

class QLabel;
class QSplitter;
class QTimer;

namespace kavo::programmer {
class ChipCommandRunner;
}

namespace kavo::ide {

class ClickableText;
class FindDialog;
class SourceEditor;
class TAssembly;
class TCompilerConfig;
class TConfigWindow;
class TProgram;
class TViewHexCode;
class TVariables;
class TVarMonWin;
struct DebuggerState;

inline constexpr const char* ProductTitle = "Kavo C Compiler for Scenix SX microcontrollers.";
inline constexpr const char* MessageTitle = "Kavo C Compiler Message";
// Timer1's first interval, in milliseconds.
inline constexpr int StartTimerInterval = 500;
// Its interval after every tick, and after a chip command, so a compile's outputs show at once.
inline constexpr int TickInterval = 20;

class TLumadesk : public QMainWindow {
    Q_OBJECT
public:
    // Questions go to dialogs; without one the window shows Qt's boxes and file dialogs.
    // Start-up reads "LUMADESK.CFG" from the working directory, which stays the start-up
    // directory of every compile.
    explicit TLumadesk(Dialogs* dialogs = nullptr, QWidget* parent = nullptr);
    ~TLumadesk() override;

    SourceEditor* EditWindow;
    QSplitter* Splitter1;
    ClickableText* results;
    QStatusBar* DebugStatusBar;
    QToolBar* ToolBar1;
    QMenuBar* MainMenu1;
    QTimer* Timer1;
    FindDialog* FindDialog1;
    TAssembly* Assembly;
    TViewHexCode* ViewHexCode;
    TCompilerConfig* CompilerConfig;
    TConfigWindow* ConfigWindow;
    TProgram* Program;

    QString statusText(int panel) const;
    QString currentFileName() const { return currentFile_; }
    // Loads a source file into the editor as Open does after its dialog.
    bool loadSourceFile(const QString& path);
    // Opens the file LUMADESK.CFG names as the last one edited, when it still exists.
    bool reopenLastFile();
    IdeSettings& ideSettings() { return settings_; }
    const programmer::ProgramImage& programImage() const { return image_; }
    bool compiledFlag() const { return compiled_; }
    QString startupDirectory() const { return startupDir_; }
    // The listing and object files of the current source, where the compiler writes them.
    QString listingPath() const;
    QString objectPath() const;
    // Tests fail a save part way through this.
    void setSaveProgress(common::WriteProgress progress) { saveProgress_ = std::move(progress); }
    // Shows the debugger's tool buttons (the debug target was chosen) or hides them again
    // (the compiler-only state).
    void showDebuggerControls(bool show);
    // The programmer drivers the chip commands and the SX-Blitz Reset run on; none until the
    // program plugs them in.
    void setChipCommandRunner(programmer::ChipCommandRunner* runner) { chipRunner_ = runner; }
    programmer::ChipCommandRunner* chipCommandRunner() const { return chipRunner_; }
    // Loads an object file into the program memory image; complain shows a box when the file
    // cannot be opened.
    bool loadObjectFile(const QString& path, bool complain);
    // What the hex view and the program window say while there is no object file to show.
    QString noObjectFileText() const;

    // The debugger: breakpoints, variables, the simulator target's session.
    DebuggerState& debuggerState() { return *debug_; }
    TVariables* Variables;
    TVarMonWin* VarMonWin;
    // Loads the variables information of the current file (reload: read the assembly file
    // again) and lists it in the picker.
    void loadVariables(bool reload);
    // Writes the queued modifications into the simulated RAM while the program is stopped.
    void applyPendingModifications();
    // True while a Step or Run of the simulator target is under way.
    bool debugRunning() const;

public slots:
    void New1Click();
    void Open1Click();
    void Save1Click();
    void SaveAs1Click();
    void Print1Click();
    void Exit1Click();
    void SpeedExitClick();
    void Undo1Click();
    void Cut1Click();
    void Copy1Click();
    void Paste1Click();
    void SelectAllClick();
    void Find1Click();
    void FindDialog1Find();
    void Next1Click();
    void SpeedCompileClick();
    void SpeedProgramClick();
    void AssemblyFile1Click();
    void HexFile1Click();
    void Configuration1Click();
    void SpeedButton1Click();
    void resultsMouseDown();
    void Timer1Timer();
    void processBeauty();

    void SpeedBrkClick();
    void SetBreakpoints1Click();
    void ClearBreakpoints1Click();
    void ClearAllBreakpoints1Click();
    void SaveProject1Click();
    void CompileDebugCopy1Click();
    void SpeedResetClick();
    void SpeedStepClick();
    void SpeedRunClick();
    void SpeedStopClick();
    void SpeedVarsClick();
    void All1Click();
    void None1Click();
    void ViewChanged1Click();
    void GoToLine1Click();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createComponents();
    void createToolBar();
    void createMenus();
    void enterCompilerOnlyState();
    void connectEditor();

    bool savePrompt();
    bool saveSource();
    bool writeSource(const QString& path);
    bool confirmExit();
    void setCaption(const QString& file);
    void showTitle();
    void setStatus(int panel, const QString& text);

    void showCaretPosition();
    void followListing();
    void reloadAfterCompile();
    // A failed compile removed the object file: the image is erased and both views say so,
    // so that nothing stale can be programmed.
    void showNoObjectFile();
    QString outputPath(const std::string& folder, const std::string& extension) const;
    void compileCurrentFile();
    void setBusy(bool busy);

    // Breakpoints (lumadesk_breakpoints.cpp)
    std::vector<int> selectedLines() const;
    void markBreakpointLine(int line);
    void lineCountCheck();
    QString projectPath() const;
    void readProject();
    // Debugging on the simulator (lumadesk_debug.cpp)
    bool simulatorTarget() const;
    bool ensureSession();
    void startSimulation(bool step);
    void runSlice();
    void showStop();
    // Variables (lumadesk_variables.cpp)
    void createDebuggerWindows();
    void connectVariableMenus();

    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_;
    IdeSettings settings_;
    programmer::ProgramImage image_;
    QString startupDir_;
    QString currentFile_;  // the open dialog's file name: the current source
    QString saveFileName_; // the save dialog's file name
    QString caption_;      // the file the title names; empty before any file
    bool named_ = false;   // currentFile_ is a file that was opened or saved
    bool compiled_ = false;
    bool compiling_ = false;
    bool objectWatchArmed_ = false;
    int lastCaretLine_ = 0;
    QLabel* statusPanels_[2];
    common::WriteProgress saveProgress_;
    programmer::ChipCommandRunner* chipRunner_ = nullptr;
    std::unique_ptr<DebuggerState> debug_;
};

} // namespace kavo::ide
