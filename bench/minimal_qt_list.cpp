// The start-up benchmark's baseline: the least Qt Widgets program that shows
// one list.

#include <QApplication>
#include <QTableWidget>

#include "startup_report.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QTableWidget list(0, 2);
    // Chinese headers, as in the program, so that both load the CJK font and
    // the difference is the program's own.
    list.setHorizontalHeaderLabels({QStringLiteral("句子"), QStringLiteral("类型")});
    ReportWhenPainted report(&list);
    list.show();
    return QApplication::exec();
}
