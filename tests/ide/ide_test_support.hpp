// What the IDE's tests share: scripted answers to the IDE's questions, a temporary working
// folder, a settings store seeded as an earlier run left it, and the registration of test
// classes with the one test program (each class is its own CTest test).
#pragma once

#include "ide/dialogs.hpp"

#include <QDir>
#include <QObject>
#include <QPlainTextEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <deque>
#include <functional>
#include <memory>
#include <vector>

namespace kavo::ide::testing {

// Answers the IDE's questions from queues and remembers every message asked.
class ScriptedDialogs : public Dialogs {
public:
    struct Asked {
        QString title;
        QString text;
        Buttons buttons;
    };
    std::deque<Answer> answers; // for questions with Yes/No buttons
    std::deque<QString> files;  // for the open and save dialogs ("" is Cancel)
    std::vector<Asked> asked;
    QStringList fileDialogTitles;

    Answer message(const QString& title, const QString& text, Buttons buttons, Icon) override {
        asked.push_back({title, text, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty())
            return Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QString openFileName(const QString& title, const QString&, const QString&) override {
        return nextFile(title);
    }
    QString saveFileName(const QString& title, const QString&, const QString&) override {
        return nextFile(title);
    }
    // Where a confirmed print goes (a PDF file); empty: the print dialog is cancelled.
    QString printTo;
    bool choosePrinter(QPrinter& printer) override;
    std::deque<int> lines; // for the go-to-line question; empty: cancelled
    std::optional<int> lineNumber(const QString&, int, int) override {
        if (lines.empty())
            return std::nullopt;
        const int line = lines.front();
        lines.pop_front();
        return line;
    }

    QStringList texts() const {
        QStringList all;
        for (const Asked& a : asked)
            all << a.text;
        return all;
    }

private:
    QString nextFile(const QString& title) {
        fileDialogTitles << title;
        if (files.empty())
            return {};
        QString file = files.front();
        files.pop_front();
        return file;
    }
};

// A fresh folder that is the working directory while the object lives.
class WorkingFolder {
public:
    WorkingFolder() : previous_(QDir::currentPath()) { QDir::setCurrent(folder_.path()); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    QString path() const { return folder_.path(); }
    QString file(const QString& name) const { return QDir(folder_.path()).filePath(name); }

private:
    QTemporaryDir folder_;
    QString previous_;
};

// Empties the compiler configuration store (it lives in the test program's own folder).
void clearSettingsStore();
// Writes the store's values as a first run leaves them, so that no first-run box appears.
void seedSettingsStore();

void writeText(const QString& path, const QString& text);
// Replaces the editor's text as typing would: the document becomes modified.
inline void typeOver(QPlainTextEdit* editor, const QString& text) {
    QTextCursor all(editor->document());
    all.select(QTextCursor::Document);
    all.insertText(text);
}
QString readText(const QString& path);

// Puts the SX28 device header of the examples into folder/include/, where the compiler
// configuration's default include directory finds it.
void copyDeviceHeader(const QString& folder);

// A start-up folder ready to compile: include/sx28.h and the source as src/prog.c, whose path
// is returned.
QString writeProgram(const WorkingFolder& folder, const QString& source);

// Registration of a Qt Test class with the IDE's test program.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
bool registerTestClass(const char* name, TestFactory factory);

} // namespace kavo::ide::testing

#define KAVO_IDE_TEST(Class)                                                                       \
    static const bool Class##Registered = ::kavo::ide::testing::registerTestClass(                 \
        #Class, [] { return std::unique_ptr<QObject>(new Class); });
