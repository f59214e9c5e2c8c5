// ProgressDialog (start, finish, the Cancel/OK button) and its four windows TReadMem,
// TBlankCheck, TProgMem and TVerifyMem.
#include "ide/progress_dialogs.hpp"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace kavo::ide {

namespace {

const QString CancelCaption = "Cancel";
const QString OkCaption = "OK";

QLabel* namedLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

// A box the command ticks; the user cannot change it.
QCheckBox* indicator(QWidget* parent, const char* name, const QString& caption) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setFocusPolicy(Qt::NoFocus);
    return box;
}

} // namespace

ProgressDialog::ProgressDialog(const char* name, const QString& caption,
                               const QString& addressCaption, const char* addressName,
                               bool& cancelFlag, QWidget* parent)
    : QDialog(parent), cancelFlag_(cancelFlag) {
    setObjectName(name);
    setWindowTitle(caption);
    setModal(false);
    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName("ProgressBar");
    ProgressBar->setRange(0, 100);
    address_ = namedLabel(this, addressName);
    CancelButton = new QPushButton(CancelCaption, this);
    CancelButton->setObjectName("CancelButton");
    connect(CancelButton, &QPushButton::clicked, this, &ProgressDialog::CancelClick);

    auto* addressRow = new QFormLayout;
    addressRow->addRow(addressCaption, address_);
    fields_ = new QVBoxLayout;
    fields_->addLayout(addressRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(ProgressBar);
    layout->addLayout(fields_);
    layout->addWidget(CancelButton, 0, Qt::AlignHCenter);
    setMinimumWidth(300);
}

void ProgressDialog::start(int maximum) {
    ProgressBar->setRange(0, maximum);
    ProgressBar->setValue(0);
    address_->clear();
    CancelButton->setText(CancelCaption);
    clearFields();
    show();
    raise();
}

void ProgressDialog::setAddress(const QString& text) {
    address_->setText(text);
}

void ProgressDialog::setPosition(int position) {
    ProgressBar->setValue(position);
}

void ProgressDialog::finish() {
    CancelButton->setText(OkCaption);
}

bool ProgressDialog::running() const {
    return CancelButton->text() == CancelCaption;
}

void ProgressDialog::dismiss() {
    hide();
}

void ProgressDialog::CancelClick() {
    if (running())
        cancelFlag_ = true;
    else
        dismiss();
}

// The frame's close button and Escape: the window stays while its command runs.
void ProgressDialog::reject() {
    CancelClick();
}

TReadMem::TReadMem(bool& readCancel, QWidget* parent)
    : ProgressDialog("ReadMem", "Read Program Memory", "Reading Address:", "ReadMemAddrVal",
                     readCancel, parent),
      ReadMemAddrVal(addressValue()) {}

TBlankCheck::TBlankCheck(bool& readCancel, QWidget* parent)
    : ProgressDialog("BlankCheck", "Blank Check", "Reading Address:", "BlankMemAddrVal", readCancel,
                     parent),
      BlankMemAddrVal(addressValue()) {}

TProgMem::TProgMem(bool& programCancel, QWidget* parent)
    : ProgressDialog("ProgMem", "Program SX", "Programming Address:", "ProgMemAddrVal",
                     programCancel, parent),
      ProgMemAddrVal(addressValue()) {
    Remaining = namedLabel(this, "Remaining", "00:00");
    Erasing = namedLabel(this, "Erasing", "Erasing SX...");
    // The window offers no calibration choice but "Preserve", so nothing is calibrated.
    Calibrating = namedLabel(this, "Calibrating", "Calibrating (4MHz)...");
    auto* timeRow = new QFormLayout;
    timeRow->addRow("Time Remaining:", Remaining);
    fields()->addLayout(timeRow);
    fields()->addWidget(Erasing);
    fields()->addWidget(Calibrating);
    clearFields();
}

void TProgMem::setRemaining(const QString& text) {
    Remaining->setText(text);
}

void TProgMem::clearFields() {
    Remaining->setText("00:00");
    Erasing->hide();
    Calibrating->hide();
}

TVerifyMem::TVerifyMem(bool& readCancel, QWidget* parent)
    : ProgressDialog("VerifyMem", "Verify Program Memory", "Verifying Address:", "VerifyMemAddrVal",
                     readCancel, parent),
      VerifyMemAddrVal(addressValue()) {
    Device = indicator(this, "Device", "SX");
    Mem = indicator(this, "Mem", "Mem");
    Fuse = indicator(this, "Fuse", "Fuse");
    Fusex = indicator(this, "Fusex", "FuseX");
    auto* row = new QHBoxLayout;
    for (QCheckBox* box : {Device, Mem, Fuse, Fusex})
        row->addWidget(box);
    fields()->addLayout(row);
}

void TVerifyMem::tick(programmer::VerifiedPart part) {
    switch (part) {
    case programmer::VerifiedPart::Device:
        Device->setChecked(true);
        break;
    case programmer::VerifiedPart::Memory:
        Mem->setChecked(true);
        break;
    case programmer::VerifiedPart::Fuse:
        Fuse->setChecked(true);
        break;
    case programmer::VerifiedPart::Fusex:
        Fusex->setChecked(true);
        break;
    }
}

void TVerifyMem::clearFields() {
    for (QCheckBox* box : {Device, Mem, Fuse, Fusex})
        box->setChecked(false);
}

} // namespace kavo::ide
