#pragma once
// What both start-up programs do once their window has been painted for the
// first time: say "shown" on stdout, wait while the driver reads their
// resident memory (it closes their stdin when done), then leave.

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>

class ReportWhenPainted : public QObject {
public:
    explicit ReportWhenPainted(QWidget* window) { window->installEventFilter(this); }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            // Queued, so that the rest of this paint pass (the children, the
            // flush to the screen) comes first.
            QTimer::singleShot(0, [] {
                std::fputs("shown\n", stdout);
                std::fflush(stdout);
                while (std::fgetc(stdin) != EOF) {
                }
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    bool reported_ = false;
};
