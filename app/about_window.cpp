#include "app/about_window.h"

#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTextEdit>

#include "app/jpeg_image.h"

namespace quotidia {

QString AboutText() {
    return QString("\r\n\r\n"
                   "Quotidia 由 Quotidia 项目编写\r\n"
                   "\r\n"
                   "意见请提交到 Quotidia 项目");
}

AboutWindow::AboutWindow(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutWindow");
    setWindowTitle("Ａｂｏｕｔ");
    setWindowIcon(QIcon(":/quotidia.png"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(kClientWidth, kClientHeight);

    text = new QTextEdit(this);
    text->setObjectName("编辑框1");
    text->setGeometry(23, 174, 328, 168);
    text->setReadOnly(true);
    text->setFrameShape(QFrame::NoFrame);
    text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text->setLineWrapMode(QTextEdit::WidgetWidth);
    QFont font = QApplication::font();
    font.setPixelSize(16);
    font.setBold(true);
    text->setFont(font);
    // The box shares the window's face colour, as if it were a label.
    QPalette palette = text->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    text->setPalette(palette);
    // Line breaks are CR LF in the text; each paragraph is centred.
    text->setPlainText(AboutText().replace("\r\n", "\n"));
    text->selectAll();
    text->setAlignment(Qt::AlignCenter);
    text->moveCursor(QTextCursor::Start);

    picture = new QLabel(this);
    picture->setObjectName("图片框1");
    picture->setGeometry(112, 12, 150, 150);
    picture->setScaledContents(true);
    QFile file(":/about.jpg");
    if (file.open(QIODevice::ReadOnly)) {
        QImage image = DecodeJpeg(file.readAll());
        if (!image.isNull()) picture->setPixmap(QPixmap::fromImage(image));
    }

    if (QScreen* s = parent ? parent->screen() : QApplication::primaryScreen()) {
        move(s->availableGeometry().center() - rect().center());
    }
}

}  // namespace quotidia
