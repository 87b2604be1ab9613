// The app tests run real widgets on Qt's offscreen platform, in a
// QApplication that lives as long as the test program.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <QApplication>
#include <QByteArray>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt wants a private runtime folder; a fresh one keeps it quiet.
    char runtime[] = "/tmp/quotidia-app-test-XXXXXX";
    if (mkdtemp(runtime)) {
        chmod(runtime, 0700);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::GTEST_FLAG(death_test_style) = "threadsafe";
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    int result = RUN_ALL_TESTS();
    rmdir(runtime);
    return result;
}
