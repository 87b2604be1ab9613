#pragma once
// The loop count box: a line edit that lets only digits and '-' be typed, and
// its pair of spin arrows.

#include <QLineEdit>
#include <QWidget>

class QToolButton;

namespace quotidia {

// The text the arrows put in the box: the number at the start of the text
// (no digits: 0) plus or minus one, wrapping to 0 above 100 on the way up and
// to 100 below 0 on the way down.
QString NextSpinValue(const QString& text, bool up);

class CountBox : public QLineEdit {
public:
    explicit CountBox(QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
};

// The up/down arrow pair against the box's right edge.
class SpinArrows : public QWidget {
public:
    SpinArrows(CountBox* box, QWidget* parent);
    void Step(bool up);

private:
    CountBox* box_;
};

}  // namespace quotidia
