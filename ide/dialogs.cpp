// QtDialogs and qtFileFilter.
#include "ide/dialogs.hpp"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QStringList>

namespace kavo::ide {

namespace {

QMessageBox::StandardButtons standardButtons(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Answer QtDialogs::message(const QString& title, const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box(boxIcon(icon), title, text, standardButtons(buttons), parent_);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default:
        return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
    }
}

QString QtDialogs::openFileName(const QString& title, const QString& folder,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(parent_, title, folder, qtFileFilter(filter));
}

QString QtDialogs::saveFileName(const QString& title, const QString& proposed,
                                const QString& filter) {
    return QFileDialog::getSaveFileName(parent_, title, proposed, qtFileFilter(filter));
}

std::optional<int> QtDialogs::lineNumber(const QString& title, int current, int last) {
    bool ok = false;
    const int line = QInputDialog::getInt(parent_, title, QString("Line (1 to %1):").arg(last),
                                          current, 1, last, 1, &ok);
    return ok ? std::optional<int>(line) : std::nullopt;
}

bool QtDialogs::choosePrinter(QPrinter& printer) {
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        if (!name.contains(patterns))
            name += " (" + patterns + ")";
        entries << name;
    }
    return entries.join(";;");
}

} // namespace kavo::ide
