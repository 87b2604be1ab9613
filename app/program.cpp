#include "app/program.h"

#include <QApplication>
#include <QPointer>
#include <cstdio>
#include <cstdlib>

#include "app/globals.h"
#include "app/main_window.h"
#include "http/pending_messages.h"

namespace quotidia {

int RunProgram() {
    SetPendingMessagesHook([] { QCoreApplication::processEvents(); });
    AddExitCleanup(ReleaseGlobals);
    QApplication::setQuitOnLastWindowClosed(true);

    auto* window = new MainWindow();
    window->OnMainWindowCreated();
    window->CenterOnScreen();
    window->show();
    QApplication::exec();
    RunShutdown();
    return 0;
}

void RunShutdown() {
    // Children go with their parents, so take note of every window first and
    // delete only those still there.
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets()) windows.append(w);
    for (const QPointer<QWidget>& w : windows) delete w.data();
    SetPendingMessagesHook({});
    RunExitCleanups();
}

void ExitProgram(int code) {
    static bool exiting = false;
    if (!exiting) {
        exiting = true;
        RunShutdown();
    }
    std::fflush(nullptr);
    std::_Exit(code);
}

}  // namespace quotidia
