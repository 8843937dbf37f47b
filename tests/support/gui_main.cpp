// Window tests run inside a QApplication on the offscreen platform; no test may block on a
// message box, so a hook that fails the test on any unexpected box is installed by default.
#include "support/messagehook.h"
#include "support/testenv.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    initTestEnvironment();
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    installUnexpectedMessageHook();
    return RUN_ALL_TESTS();
}
