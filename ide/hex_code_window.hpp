// TViewHexCode, the "View Hex Code" window: the program memory image as text.
#pragma once

#include "programmer/program_image.hpp"

#include <QWidget>

class QPlainTextEdit;

namespace kavo::ide {

class TViewHexCode : public QWidget {
    Q_OBJECT
public:
    explicit TViewHexCode(QWidget* parent = nullptr);

    void showImage(const programmer::ProgramImage& image);

    QPlainTextEdit* ProgramEdit;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

} // namespace kavo::ide
