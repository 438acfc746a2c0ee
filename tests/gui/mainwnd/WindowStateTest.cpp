// The window's placement and pane sizes between runs: the "version 1.0"
// values, the defaults, and the rule for windows left off screen.
#include "GuiTestSupport.h"
#include "MainFrame.h"
#include "Profile.h"
#include "TavoDoc.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const char* const kAllValues[] = {"flags", "showCmd", "x1", "y1", "x2", "y2", "Prow0y", "Prow0min", "Prow1y",
                                  "Prow1min", "Pcol0x", "Pcol0min", "Pcol1x", "Pcol1min"};

void ForgetWindowState()
{
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    profile.remove(QString::fromLatin1(kSectionWindowState));
    profile.sync();
}

void RemoveValue(const char* name)
{
    QSettings profile(QSettings::NativeFormat, QSettings::UserScope, kProfileCompany, kProfileApplication);
    profile.beginGroup(QString::fromLatin1(kSectionWindowState));
    profile.remove(QString::fromLatin1(name));
    profile.endGroup();
    profile.sync();
}

int Stored(const char* name)
{
    return GetProfileInt(kSectionWindowState, name, -12345);
}

void StoreWindow(int x1, int y1, int x2, int y2, int showCmd = 1)
{
    WriteProfileInt(kSectionWindowState, "flags", 0);
    WriteProfileInt(kSectionWindowState, "showCmd", showCmd);
    WriteProfileInt(kSectionWindowState, "x1", x1);
    WriteProfileInt(kSectionWindowState, "y1", y1);
    WriteProfileInt(kSectionWindowState, "x2", x2);
    WriteProfileInt(kSectionWindowState, "y2", y2);
}

QRect Desktop()
{
    return QGuiApplication::primaryScreen()->virtualGeometry();
}

}  // namespace

TEST(WindowState, RoundTripOfPlacementAndPaneSizes)
{
    ForgetWindowState();
    CTavoDoc doc;
    {
        CMainFrame frame(&doc);
        EXPECT_EQ(frame.RestoreWindowState(), 0);  // nothing stored yet
        frame.setGeometry(60, 50, 700, 520);
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        frame.GetOuterSplitter()->setSizes({300, 120});
        frame.GetInnerSplitter()->setSizes({180, 400});
        const QList<int> rows = frame.GetOuterSplitter()->sizes();
        const QList<int> columns = frame.GetInnerSplitter()->sizes();
        frame.close();  // closing stores the state

        EXPECT_EQ(Stored("flags"), 0);
        EXPECT_EQ(Stored("showCmd"), 1);
        EXPECT_EQ(Stored("x1"), frame.geometry().left());
        EXPECT_EQ(Stored("y1"), frame.geometry().top());
        EXPECT_EQ(Stored("x2"), frame.geometry().left() + frame.geometry().width());
        EXPECT_EQ(Stored("y2"), frame.geometry().top() + frame.geometry().height());
        EXPECT_EQ(Stored("Prow0y"), rows[0]);
        EXPECT_EQ(Stored("Prow1y"), rows[1]);
        EXPECT_EQ(Stored("Pcol0x"), columns[0]);
        EXPECT_EQ(Stored("Pcol1x"), columns[1]);
        for (const char* name : {"Prow0min", "Prow1min", "Pcol0min", "Pcol1min"})
            EXPECT_EQ(Stored(name), 10) << name;
    }
    // Stored under "version 1.0", lower-case v, apart from the preferences.
    const std::string file = guitest::ReadFile(guitest::ConfigHome() / "Brenmar" / "Tavo.conf");
    EXPECT_NE(file.find("[version%201.0]"), std::string::npos) << file;

    CMainFrame again(&doc);
    EXPECT_EQ(again.RestoreWindowState(), 1);
    again.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
    EXPECT_EQ(again.geometry(), QRect(QPoint(Stored("x1"), Stored("y1")), QPoint(Stored("x2") - 1, Stored("y2") - 1)));
    EXPECT_EQ(again.GetInnerSplitter()->sizes().value(0), Stored("Pcol0x"));
    EXPECT_EQ(again.GetInnerSplitter()->sizes().value(1), Stored("Pcol1x"));
    EXPECT_EQ(again.GetOuterSplitter()->sizes().value(0), Stored("Prow0y"));
    EXPECT_EQ(again.GetOuterSplitter()->sizes().value(1), Stored("Prow1y"));
    again.close();
}

TEST(WindowState, WindowsOffScreenComeBackWhereTheyCanBeGrabbed)
{
    const QRect desktop = Desktop();
    struct Case {
        int x1, y1;
        int expectedX, expectedY;
    };
    const int farRight = desktop.right() + 500;
    const int farDown = desktop.bottom() + 400;
    const Case cases[] = {
        // Beyond the right or bottom edge: an icon's size from it.
        {farRight, 40, desktop.left() + desktop.width() - 32, 40},
        {30, farDown, 30, desktop.top() + desktop.height() - 32},
        {farRight, farDown, desktop.left() + desktop.width() - 32, desktop.top() + desktop.height() - 32},
        // Exactly at the limit counts as beyond; just inside stays.
        {desktop.width() - 32, 40, desktop.width() - 32, 40},
        {desktop.width() - 33, 40, desktop.width() - 33, 40},
        // Gone to the left or above: back at the near edge.
        {-5000, -300, desktop.left(), desktop.top()},
    };
    CTavoDoc doc;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x1) + "," + std::to_string(c.y1));
        ForgetWindowState();
        StoreWindow(c.x1, c.y1, c.x1 + 400, c.y1 + 300);
        CMainFrame frame(&doc);
        EXPECT_EQ(frame.RestoreWindowState(), 1);
        EXPECT_EQ(frame.geometry().topLeft(), QPoint(c.expectedX, c.expectedY));
        // The window keeps its size.
        EXPECT_EQ(frame.geometry().size(), QSize(400, 300));
    }
}

TEST(WindowState, IncompletePlacementKeepsTheDefaultButPaneSizesApply)
{
    CTavoDoc doc;
    ForgetWindowState();
    StoreWindow(100, 100, 700, 600);
    WriteProfileInt(kSectionWindowState, "Prow0y", 222);
    WriteProfileInt(kSectionWindowState, "Prow1y", 133);
    WriteProfileInt(kSectionWindowState, "Pcol0x", 150);
    WriteProfileInt(kSectionWindowState, "Pcol1x", 350);
    RemoveValue("x1");
    CMainFrame frame(&doc);
    const QRect before = frame.geometry();
    EXPECT_EQ(frame.RestoreWindowState(), 0);
    EXPECT_EQ(frame.geometry(), before);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    // The upper row and the tree column get their sizes; the message pane
    // and the file list take the rest.
    EXPECT_EQ(frame.GetOuterSplitter()->sizes().value(0), 222);
    EXPECT_EQ(frame.GetInnerSplitter()->sizes().value(0), 150);
    EXPECT_EQ(frame.GetOuterSplitter()->sizes().value(1),
              frame.GetOuterSplitter()->height() - frame.GetOuterSplitter()->handleWidth() - 222);

    // Nothing stored at all: the default pane sizes.
    ForgetWindowState();
    CMainFrame fresh(&doc);
    EXPECT_EQ(fresh.RestoreWindowState(), 0);
    fresh.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&fresh));
    EXPECT_EQ(fresh.GetOuterSplitter()->sizes().value(0), 275);
    EXPECT_EQ(fresh.GetInnerSplitter()->sizes().value(0), 200);
    for (const char* name : kAllValues)
        EXPECT_EQ(Stored(name), -12345) << name;
    fresh.hide();
    frame.hide();
}

TEST(WindowState, MaximizedWindowsComeBackMaximizedAndMinimizedOnesDoNotStayHidden)
{
    CTavoDoc doc;
    ForgetWindowState();
    StoreWindow(40, 40, 640, 480, 3);
    {
        CMainFrame frame(&doc);
        EXPECT_EQ(frame.RestoreWindowState(), 1);
        EXPECT_TRUE(frame.windowState() & Qt::WindowMaximized);
    }
    StoreWindow(40, 40, 640, 480, 2);
    {
        CMainFrame frame(&doc);
        EXPECT_EQ(frame.RestoreWindowState(), 1);
        EXPECT_FALSE(frame.windowState() & Qt::WindowMinimized);
        EXPECT_EQ(frame.geometry(), QRect(40, 40, 600, 440));
    }
    ForgetWindowState();
}
