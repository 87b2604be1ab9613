// The program's start-up up to the main window's first paint, for the
// start-up benchmark: RunProgram's steps in its order, less the Internet
// check, whose time belongs to the network rather than to the program.

#include <QApplication>

#include "app/globals.h"
#include "app/main_window.h"
#include "http/pending_messages.h"
#include "startup_report.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    quotidia::SetPendingMessagesHook([] { QCoreApplication::processEvents(); });
    quotidia::AddExitCleanup(quotidia::ReleaseGlobals);
    QApplication::setQuitOnLastWindowClosed(true);

    auto* window = new quotidia::MainWindow();
    // OnMainWindowCreated is this and then the Internet check.
    window->OnLoopBoxClicked();
    window->CenterOnScreen();
    ReportWhenPainted report(window);
    window->show();
    return QApplication::exec();
}
