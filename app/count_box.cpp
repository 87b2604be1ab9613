#include "app/count_box.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/qt_text.h"
#include "text/primitives.h"

namespace quotidia {

namespace {

// Typed characters from code 32 on pass only when they belong in a number;
// control characters (backspace, the paste shortcut) pass as usual.
bool Acceptable(const QString& typed) {
    for (QChar c : typed) {
        if (c.unicode() >= 32 && !(c >= u'0' && c <= u'9') && c != u'-') return false;
    }
    return true;
}

}  // namespace

QString NextSpinValue(const QString& text, bool up) {
    long long n = TextToInt(FromQString(text));
    long long next = up ? n + 1 : n - 1;
    if (next < 0 || next > 100) next = up ? 0 : 100;
    return QString::number(next);
}

CountBox::CountBox(QWidget* parent) : QLineEdit(parent) {}

void CountBox::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty() && !Acceptable(event->text())) {
        event->accept();  // swallowed, as the original box ignores it
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void CountBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!Acceptable(event->commitString())) {
        QInputMethodEvent dropped(event->preeditString(), event->attributes());
        QLineEdit::inputMethodEvent(&dropped);
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

SpinArrows::SpinArrows(CountBox* box, QWidget* parent) : QWidget(parent), box_(box) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (bool up : {true, false}) {
        auto* arrow = new QToolButton(this);
        arrow->setObjectName(up ? "编辑框1_上" : "编辑框1_下");
        arrow->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        arrow->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        arrow->setFocusPolicy(Qt::NoFocus);
        connect(arrow, &QToolButton::clicked, this, [this, up] { Step(up); });
        layout->addWidget(arrow);
    }
}

void SpinArrows::Step(bool up) {
    if (!box_->isEnabled() || !box_->isVisible()) return;
    box_->setText(NextSpinValue(box_->text(), up));
    box_->selectAll();
    box_->setFocus(Qt::OtherFocusReason);
}

}  // namespace quotidia
