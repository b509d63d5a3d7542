#include "platform/FbApi.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

// Every test binary runs inside one offscreen application, so the real windows can be driven.
int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ShutDownDatabaseClient(result);
    return result;
}
