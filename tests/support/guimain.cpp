#include <QGuiApplication>
#include <gtest/gtest.h>

// Report tests paint text, which needs a GUI application for its fonts; the
// offscreen platform gives one without a display.
int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
