// lumadesk: the IDE. "lumadesk FILE.c" opens that file at start; "--screenshot PNG" compiles
// the opened file, saves a picture of the window to PNG and ends (used for the documentation).
// The screenshot run asks no one: its message boxes are written to standard error.
#include "ide/lumadesk_window.hpp"
#include "programmer/programmer_drivers.hpp"

#include <QApplication>
#include <QPixmap>
#include <QStringList>
#include <QTimer>

#include <cstdio>

namespace {

struct StartOptions {
    QString file;
    QString screenshot;
    bool valid = true;
};

StartOptions readArguments(const QStringList& arguments) {
    StartOptions options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--screenshot" && i + 1 < arguments.size())
            options.screenshot = arguments[++i];
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

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const StartOptions options = readArguments(app.arguments());
    if (!options.valid) {
        std::fprintf(stderr, "usage: lumadesk [--screenshot PNG] [FILE.c]\n");
        return 2;
    }
    BatchDialogs batch;
    // Made before the window, so it outlives the window that uses it.
    const auto programmers = kavo::programmer::makeSerialChipCommandRunner();
    kavo::ide::TLumadesk window(options.screenshot.isEmpty() ? nullptr : &batch);
    window.setChipCommandRunner(programmers.get());
    if (!options.file.isEmpty())
        window.loadSourceFile(options.file);
    window.show();
    if (!options.screenshot.isEmpty())
        return takeScreenshot(app, window, options.screenshot);
    return app.exec();
}
