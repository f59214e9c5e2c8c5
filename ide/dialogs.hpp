// Every modal question the IDE asks goes through Dialogs: message boxes and the open and save
// file choosers. The real build shows Qt's dialogs; tests give scripted answers.
#pragma once

#include <QString>

#include <optional>

class QPrinter;
class QWidget;

namespace kavo::ide {

enum class Buttons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };
enum class Icon { None, Information, Warning, Error };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    virtual Answer message(const QString& title, const QString& text, Buttons buttons,
                           Icon icon) = 0;
    // The chosen file, or an empty text when the user cancelled.
    virtual QString openFileName(const QString& title, const QString& folder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& proposed,
                                 const QString& filter) = 0;
    // The print dialog: true when the user confirmed printing on printer.
    virtual bool choosePrinter(QPrinter& printer) = 0;
    // A number from 1 to last, proposed as current; nothing when the user cancelled.
    virtual std::optional<int> lineNumber(const QString& title, int current, int last) = 0;
};

// QMessageBox and QFileDialog over a parent window.
class QtDialogs : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}

    Answer message(const QString& title, const QString& text, Buttons buttons, Icon icon) override;
    QString openFileName(const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& proposed,
                         const QString& filter) override;
    bool choosePrinter(QPrinter& printer) override;
    std::optional<int> lineNumber(const QString& title, int current, int last) override;

private:
    QWidget* parent_;
};

// A Windows-style filter "Name|*.c|All|*.*" in the form QFileDialog reads ("Name (*.c);;...").
QString qtFileFilter(const QString& filter);

} // namespace kavo::ide
