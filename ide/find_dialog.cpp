// FindDialog and findForward.
#include "ide/find_dialog.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kavo::ide {

FindDialog::FindDialog(QWidget* parent) : QDialog(parent), text_(new QLineEdit(this)) {
    setObjectName("FindDialog1");
    setWindowTitle("Find");
    text_->setObjectName("FindText");
    auto* next = new QPushButton("Find Next", this);
    next->setDefault(true);
    auto* row = new QHBoxLayout(this);
    row->addWidget(new QLabel("Find what:", this));
    row->addWidget(text_);
    row->addWidget(next);
    connect(next, &QPushButton::clicked, this, &FindDialog::find);
}

QString FindDialog::findText() const {
    return text_->text();
}

void FindDialog::setFindText(const QString& text) {
    text_->setText(text);
}

qsizetype findForward(const QString& text, const QString& what, qsizetype from) {
    if (what.isEmpty())
        return -1;
    return text.indexOf(what, from, Qt::CaseSensitive);
}

} // namespace kavo::ide
