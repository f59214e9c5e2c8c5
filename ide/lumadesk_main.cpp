// lumadesk: the IDE. "lumadesk FILE.c" opens that file at start; "--screenshot PNG" compiles
// the opened file, saves a picture of the window to PNG and ends (used for the documentation).
// With "--break N" the screenshot is of a debugging stop: line N gets a breakpoint, the program
// runs in the simulator to it, and the variable monitor is pictured beside the window.
// The screenshot run asks no one: its message boxes are written to standard error.
#include "ide/config_window.hpp"
#include "ide/debugger_state.hpp"
#include "ide/lumadesk_window.hpp"
#include "ide/source_editor.hpp"
#include "ide/variable_windows.hpp"
#include "programmer/programmer_drivers.hpp"

#include <QApplication>
#include <QComboBox>
#include <QPainter>
#include <QPixmap>
#include <QStringList>
#include <QTextBlock>
#include <QTimer>

#include <cstdio>

namespace {

struct StartOptions {
    QString file;
    QString screenshot;
    int breakLine = 0;
    bool valid = true;
};

StartOptions readArguments(const QStringList& arguments) {
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--screenshot" && i + 1 < arguments.size())
            options.screenshot = arguments[++i];
        else if (arguments[i] == "--break" && i + 1 < arguments.size())
            options.breakLine = arguments[++i].toInt();
        else if (options.file.isEmpty() && !arguments[i].startsWith("--"))
            options.file = arguments[i];
        else
            options.valid = false;
    }
    return options;
}

// The questions of a run without a user: every box is reported, nothing is saved or chosen.
class BatchDialogs : public kavo::ide::Dialogs {
public:
    kavo::ide::Answer message(const QString& title, const QString& text, kavo::ide::Buttons buttons,
                              kavo::ide::Icon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text.trimmed()));
        return buttons == kavo::ide::Buttons::Ok ? kavo::ide::Answer::Ok : kavo::ide::Answer::No;
    }
    QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool choosePrinter(QPrinter&) override { return false; }
    std::optional<int> lineNumber(const QString&, int, int) override { return std::nullopt; }
};

int takeScreenshot(QApplication& app, kavo::ide::TLumadesk& window, const QString& path) {
    window.SpeedCompileClick();
    app.processEvents();
    if (!window.grab().save(path)) {
        std::fprintf(stderr, "lumadesk: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

// Runs the opened file in the simulator to breakpoint line and pictures the window with the
// variable monitor beside it.
int takeDebugScreenshot(QApplication& app, kavo::ide::TLumadesk& window, int line,
                        const QString& path) {
    QTextCursor caret(window.EditWindow->document()->findBlockByNumber(line - 1));
    window.EditWindow->setTextCursor(caret);
    window.SpeedBrkClick();
    window.EditWindow->document()->setModified(false);
    window.ConfigWindow->ProgrammerType->setCurrentText(kavo::ide::SimulatorTarget);
    window.ConfigWindow->OKButtonClick();
    window.CompileDebugCopy1Click();
    // The program's own variables, not the compiler's registers and temporaries.
    for (auto& record : window.debuggerState().variables)
        record.picked = !record.name.starts_with("A__") && !record.name.starts_with("_");
    window.loadVariables(false);
    window.SpeedRunClick();
    while (window.debugRunning())
        app.processEvents();
    window.VarMonWin->resize(440, 470);
    window.VarMonWin->show();
    app.processEvents();
    const QPixmap main = window.grab();
    const QPixmap monitor = window.VarMonWin->grab();
    QPixmap both(main.width() + monitor.width() + 8, std::max(main.height(), monitor.height()));
    both.fill(Qt::darkGray);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, main);
    painter.drawPixmap(main.width() + 8, 0, monitor);
    painter.end();
    if (!both.save(path)) {
        std::fprintf(stderr, "lumadesk: cannot write %s\n", qPrintable(path));
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const StartOptions options = readArguments(app.arguments());
    if (!options.valid) {
        std::fprintf(stderr, "usage: lumadesk [--screenshot PNG [--break LINE]] [FILE.c]\n");
        return 2;
    }
    BatchDialogs batch;
    // Made before the window, so it outlives the window that uses it.
    const auto programmers = kavo::programmer::makeSerialChipCommandRunner();
    kavo::ide::TLumadesk window(options.screenshot.isEmpty() ? nullptr : &batch);
    window.setChipCommandRunner(programmers.get());
    if (!options.file.isEmpty())
        window.loadSourceFile(options.file);
    else if (options.screenshot.isEmpty())
        window.reopenLastFile();
    window.show();
    if (!options.screenshot.isEmpty() && options.breakLine > 0)
        return takeDebugScreenshot(app, window, options.breakLine, options.screenshot);
    if (!options.screenshot.isEmpty())
        return takeScreenshot(app, window, options.screenshot);
    return app.exec();
}
