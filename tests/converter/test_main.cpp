#include <gtest/gtest.h>

#include <QCoreApplication>

// The image readers are plugins, which Qt finds through the application.
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
