// The Qt platform services that tests of the windows replace: the single-instance lock, also
// after a crashed run, and the resources compiled into a program.
#include "lookup/ui/platform/qt_services.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QLockFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "lookup/testing/eventually.h"

namespace tarvel::platform {
namespace {

// The message box on screen, if any.
QMessageBox* ShownBox() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(window);
        if (box != nullptr && box->isVisible()) return box;
    }
    return nullptr;
}

class InstanceLock : public ::testing::Test {
  protected:
    void SetUp() override { setenv("TMPDIR", folder.path().toLocal8Bit().constData(), 1); }
    QTemporaryDir folder;
};

TEST_F(InstanceLock, OnlyTheFirstInstanceRuns) {
    auto first = std::make_unique<QtServices>();
    EXPECT_FALSE(first->PreviousInstance());
    EXPECT_FALSE(first->PreviousInstance());  // asking again changes nothing
    QtServices second;
    EXPECT_TRUE(second.PreviousInstance());
    first.reset();  // the first instance ends
    EXPECT_FALSE(second.PreviousInstance());
}

TEST_F(InstanceLock, ALockLeftByACrashedRunDoesNotBlock) {
    const QString path =
        QDir(folder.path()).filePath(QStringLiteral("tarvel-%1.lock").arg(getuid()));
    {
        // A lock file naming a process that no longer exists, as a crash leaves it.
        QFile stale(path);
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
        stale.write("999999\ntarvel\n" + QSysInfo::machineHostName().toUtf8() + "\n");
    }
    QtServices services;
    EXPECT_FALSE(services.PreviousInstance());
}

TEST(CustomResources, MissingResourceGivesNothing) {
    QtServices services;
    EXPECT_FALSE(
        services.CustomResource(200, "LISTEPARCP").has_value());  // not in this test program
    EXPECT_FALSE(services.CustomResource(999, "NOTHING").has_value());
}

// A short text under a long title: the box is wide enough for the whole title.
TEST(QtMessages, TheBoxIsAsWideAsItsTitle) {
    QtServices services;
    int width = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = ShownBox()) {
            width = box->width();
            box->accept();
        }
    });
    closer.start(10);
    services.ShowMessage("Could not your Browser", "Browser Not Found", MessageIcon::Exclamation);
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(width,
              QFontMetrics(bold).horizontalAdvance(QStringLiteral("Browser Not Found")) + 100);
}

// Typing on after a report: the box takes neither the letters nor the space (a button's
// click key), only Enter; the letters reach the box being typed into afterwards, in order,
// also those that went to the window behind before the box had the focus.
TEST(QtMessages, KeysTypedWhileABoxIsShownReachTheBoxTypedIntoAfterIt) {
    QtServices services;
    QLineEdit typedInto;
    typedInto.show();
    for (const bool enterInTheBox : {true, false}) {
        QApplication::setActiveWindow(&typedInto);
        typedInto.setFocus();
        ASSERT_EVENTUALLY(typedInto.hasFocus());
        typedInto.clear();
        QStringList openWhileTyping;
        QTimer typist;
        typist.setSingleShot(true);
        QObject::connect(&typist, &QTimer::timeout, [&] {
            QWidget* box = ShownBox();
            ASSERT_NE(box, nullptr);
            QWidget* focus = box->focusWidget() != nullptr ? box->focusWidget() : box;
            QTest::keyClicks(&typedInto, QStringLiteral("is"));  // before the box has the focus
            QTest::keyClicks(focus, QStringLiteral("le adam"));
            openWhileTyping << (ShownBox() == box ? QStringLiteral("open") : QString());
            QTest::keyClick(enterInTheBox ? focus : &typedInto, Qt::Key_Return);
        });
        typist.start(0);
        services.ShowMessage("Le caractere '' ? '' n'est pas valide.", "", MessageIcon::None);
        EXPECT_EQ(ShownBox(), nullptr);
        EXPECT_EQ(openWhileTyping, QStringList({"open"}));
        EXPECT_EVENTUALLY(typedInto.text() == "isle adam")
            << typedInto.text().toStdString() << (enterInTheBox ? " (Enter in the box)" : "");
    }
}

}  // namespace
}  // namespace tarvel::platform
