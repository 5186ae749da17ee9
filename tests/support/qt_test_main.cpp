// main() of the widget test programs: the application lives exactly as long as the tests, so Qt
// tears down its devices and windows in order.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
