// The start of the program: single instance, the hand-over from the start-up window through
// the invisible loading to the main window, and damaged tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QTest>

#include "lookup/testing/delivered_tables.h"
#include "lookup/testing/windows_test_support.h"
#include "lookup/ui/windows/application.h"
#include "startup_window.h"

namespace tarvel::windows {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

int VisibleTopLevelWindows() {
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) count += widget->isVisible();
    return count;
}

class StartupTest : public ::testing::Test {
  protected:
    StartupTest() {
        test.program.strings = {};
        test.services.resources[{200, "LISTEPARCP"}] =
            data::ReadDeliveredTableBytes(data::kPostalCodeTable);
        test.services.resources[{201, "LISTEPARNOM"}] =
            data::ReadDeliveredTableBytes(data::kNameTable);
    }
    ~StartupTest() override {
        application.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(VisibleTopLevelWindows(), 0);
    }
    TestProgram test;
    std::unique_ptr<Application> application = std::make_unique<Application>(test.program);
};

TEST_F(StartupTest, SecondInstanceIsRefused) {
    test.services.anotherInstance = true;
    EXPECT_FALSE(application->Start());
    ASSERT_EQ(test.services.messages.size(), 1u);
    EXPECT_EQ(test.services.messages[0].text, "Le programme est déja lancé.");
    EXPECT_EQ(test.services.messages[0].title, "Tarvel");
    EXPECT_EQ(test.services.messages[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(VisibleTopLevelWindows(), 0);
}

TEST_F(StartupTest, HandsOverToTheMainWindowOnceBothTablesAreLoaded) {
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(application->Start());
    EXPECT_TRUE(application->Startup()->isVisible());
    EXPECT_FALSE(application->Startup()->testAttribute(Qt::WA_WState_Hidden));
    EXPECT_EQ(test.program.strings.CheminProg, "/opt/tarvel/");
    EXPECT_EQ(test.program.strings.SautLigne, "\r\n");
    EXPECT_EQ(test.program.strings.TitreProg, "Tarvel");

    // Between the start-up window and the main window nothing is on screen.
    ASSERT_EVENTUALLY(application->Loading());
    EXPECT_EQ(VisibleTopLevelWindows(), 0);
    EXPECT_EQ(test.program.strings.VersionProg, "1.00");

    ASSERT_EVENTUALLY(application->Main() != nullptr && application->Main()->isVisible());
    const qint64 elapsed = clock.elapsed();
    EXPECT_FALSE(application->Loading());
    EXPECT_GT(test.program.tables.postal.Count(), 35000u);
    // The name table also holds the former communes and localities.
    EXPECT_GT(test.program.tables.names.Count(), test.program.tables.postal.Count() + 4500);
    EXPECT_THAT(test.services.messages, IsEmpty());
    std::printf("start to main window: %lld ms (fixed waits: 900 ms)\n",
                static_cast<long long>(elapsed));
    application->Main()->close();
    EXPECT_EQ(test.endedWith, 0);
}

TEST_F(StartupTest, DamagedTableIsReportedAndTheProgramEnds) {
    test.services.resources[{201, "LISTEPARNOM"}] = "AAST$64001\r\nBROKEN\r\n";
    ASSERT_TRUE(application->Start());
    ASSERT_EVENTUALLY(test.endedWith == 1);
    ASSERT_EQ(test.services.messages.size(), 1u);
    EXPECT_THAT(test.services.messages[0].text, HasSubstr("La table LISTEPARNOM est endommagée"));
    EXPECT_EQ(test.services.messages[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(application->Main(), nullptr);
}

TEST(ProgramFolder, GetsExactlyOneTrailingSeparator) {
    for (const auto& [folder, expected] : {std::pair{"/opt/tarvel", "/opt/tarvel/"}, {"/", "/"}}) {
        TestProgram test;
        test.services.programFolder = folder;
        StartupWindow window(test.program);
        window.Form_Load();
        EXPECT_EQ(test.program.strings.CheminProg, expected);
        window.close();
    }
}

}  // namespace
}  // namespace tarvel::windows
