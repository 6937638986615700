// Entry point of the thread layer's test program (built under
// ThreadSanitizer): a GUI application on the offscreen platform for the
// windows that workers post to, then the tests.

#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
