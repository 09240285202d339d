// The one QApplication of the UI tests, on the offscreen platform, with the idle pump and
// input gate installed as the program installs them.

#include <gtest/gtest.h>

#include <QApplication>

#include "widgets/IdlePump.h"

namespace {

class CQtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        application = new QApplication(argc, argv);
        InstallIdlePump();
    }
    void TearDown() override { delete application; }

private:
    int argc = 1;
    char name[10] = "gui_tests";
    char* argv[2] = {name, nullptr};
    QApplication* application = nullptr;
};

[[maybe_unused]] const ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new CQtEnvironment);

}  // namespace
