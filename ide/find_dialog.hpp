// FindDialog1: a modeless window with the text to find and a "Find Next" button.
#pragma once

#include <QDialog>

class QLineEdit;

namespace kavo::ide {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    QString findText() const;
    void setFindText(const QString& text);

signals:
    void find();

private:
    QLineEdit* text_;
};

// The next case-sensitive occurrence of what at or after from; -1 when there is none. The
// search never wraps round to the start.
qsizetype findForward(const QString& text, const QString& what, qsizetype from);

} // namespace kavo::ide
