// Start-up, the connectivity check and every way the program ends. Each run
// of the program happens in a child process (a death test), which reports on
// its standard error from an exit clean-up routine added after ReleaseGlobals.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <cstdio>

#include "app/connectivity.h"
#include "app/globals.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/program.h"
#include "support/raw_server.h"
#include "support/unused_port.h"

namespace quotidia {
namespace {

// Runs last in the shutdown: were the windows gone and the globals released
// by then, and which messages were shown with which style, while a window was
// visible or not.
void Report() {
    std::fprintf(stderr, "windows=%lld globals=%s", static_cast<long long>(QApplication::topLevelWidgets().size()),
                 CategoryCode.empty() && CategoryName.empty() && LastSentence.empty() ? "released" : "kept");
    for (const auto& m : TakeShownMessagesForTesting()) {
        std::fprintf(stderr, " message=%d%s", m.style, m.windowVisible ? "(window visible)" : "(no window)");
    }
    std::fprintf(stderr, " end\n");
}

void Arrange(const std::string& probeUrl) {
    SetConnectivityProbeForTesting(probeUrl);
    AddExitCleanup(ReleaseGlobals);
    AddExitCleanup(Report);
    CategoryCode = "k";
    CategoryName = "name";
    LastSentence = "sentence";
}

MainWindow* TheMainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* main = dynamic_cast<MainWindow*>(w)) return main;
    }
    return nullptr;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override { probe.Respond("HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"); }
    RawServer probe;
};

TEST_F(ProgramTest, NoConnectionShowsTheMessageBeforeAnyWindowAndEndsWithZero) {
    EXPECT_EXIT(
        {
            Arrange(UnusedPortUrl());
            QueueMessageAnswersForTesting({kAnswerOk});
            RunProgram();
        },
        ::testing::ExitedWithCode(0), "windows=0 globals=released message=48\\(no window\\) end");
}

TEST_F(ProgramTest, ClosingTheMainWindowEndsWithZeroAfterTheWindowsAreGone) {
    EXPECT_EXIT(
        {
            Arrange(probe.Url("/"));
            QTimer::singleShot(0, [] { TheMainWindow()->close(); });
            std::exit(RunProgram());
        },
        ::testing::ExitedWithCode(0), "windows=0 globals=released end");
}

TEST_F(ProgramTest, ExitProgramFromANestedLoopEndsAtOnceWithItsCode) {
    EXPECT_EXIT(
        {
            Arrange(probe.Url("/"));
            QTimer::singleShot(0, [] {
                // Inside a real message box's loop, inside the About window's.
                QTimer::singleShot(50, [] { ExitProgram(3); });
                QTimer::singleShot(0, [] { ShowMessage(QString("nested"), kStyleOk); });
                TheMainWindow()->OnAboutSelected();
                std::fprintf(stderr, "resumed after ExitProgram\n");
            });
            RunProgram();
            std::fprintf(stderr, "returned from the program\n");
        },
        // Nothing may be printed after the report: no level above resumed.
        ::testing::ExitedWithCode(3), "windows=0 globals=released message=0\\(window visible\\) end\n$");
}

TEST(Connectivity, AnyHttpAnswerCounts) {
    struct Case {
        const char* name;
        std::function<void(RawServer&)> arrange;
        bool want;
    };
    const Case cases[] = {
        {"200", [](RawServer& s) { s.Respond("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"); }, true},
        {"404", [](RawServer& s) { s.Respond("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n"); }, true},
        {"not HTTP", [](RawServer& s) { s.Garbage(); }, false},
        {"closed without answer", [](RawServer& s) { s.Respond(""); }, false},
    };
    for (const auto& c : cases) {
        RawServer server;
        c.arrange(server);
        SetConnectivityProbeForTesting(server.Url("/connecttest.txt"));
        EXPECT_EQ(IsConnectedToInternet(), c.want) << c.name;
        const auto request = server.LastRequest();
        EXPECT_EQ(request.Header("User-Agent").value_or(""), "test") << c.name;
        EXPECT_EQ(request.Header("Cache-Control").value_or(""), "no-cache") << c.name;
    }
}

TEST(Globals, ReleaseAndTheCleanupList) {
    CategoryCode = "a";
    CategoryName = "b";
    LastSentence = "c";
    ReleaseGlobals();
    EXPECT_TRUE(CategoryCode.empty() && CategoryName.empty() && LastSentence.empty());
    ReleaseGlobals();  // harmless on empty values
    static int runs = 0;
    ExitCleanup count = [] { ++runs; };
    AddExitCleanup(count);
    AddExitCleanup(count);
    RunExitCleanups();
    EXPECT_EQ(runs, 1) << "a routine already in the list is not added again";
}

}  // namespace
}  // namespace quotidia
