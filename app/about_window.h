#pragma once
// The About window: a short text under a picture, opened modally.

#include <QDialog>

class QLabel;
class QTextEdit;

namespace quotidia {

class AboutWindow : public QDialog {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget* parent);

    static constexpr int kClientWidth = 374;
    static constexpr int kClientHeight = 355;

    QTextEdit* text = nullptr;  // 编辑框1
    QLabel* picture = nullptr;  // 图片框1
};

// Five lines: two empty ones, the credit, an empty one, the contact.
QString AboutText();

}  // namespace quotidia
