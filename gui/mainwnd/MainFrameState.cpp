// The window's placement and pane sizes, kept in the profile between runs.
#include "MainFrame.h"

#include "Profile.h"
#include "TraceLog.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QSplitter>

#include <algorithm>
#include <climits>

namespace {

// showCmd values, as the placement records them.
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;
// flags: the window goes back to maximized when restored from minimized.
constexpr int kRestoreToMaximized = 2;
// Room that must stay on screen so the window can be grabbed: an icon's size.
constexpr int kIconSize = 32;
// Stands for a value that is not in the profile.
constexpr int kMissing = INT_MIN;

const char* const kRowNames[2][2] = {{"Prow0y", "Prow0min"}, {"Prow1y", "Prow1min"}};
const char* const kColumnNames[2][2] = {{"Pcol0x", "Pcol0min"}, {"Pcol1x", "Pcol1min"}};
constexpr int kRowDefaults[2] = {275, 100};
constexpr int kColumnDefaults[2] = {200, 200};

// The desktop: all screens together.
QRect DesktopRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace

void CMainFrame::SaveWindowState()
{
    const std::string section = kSectionWindowState;
    // The normal rectangle is the one the window returns to from maximized.
    const bool maximized = isMaximized() || isFullScreen();
    const QRect normal = (maximized || isMinimized()) && normalGeometry().isValid() ? normalGeometry() : geometry();
    int showCmd = kShowNormal;
    if (isMinimized())
        showCmd = kShowMinimized;
    else if (maximized)
        showCmd = kShowMaximized;
    const int flags = isMinimized() && (windowState() & Qt::WindowMaximized) ? kRestoreToMaximized : 0;
    WriteProfileInt(section, "flags", flags);
    WriteProfileInt(section, "showCmd", showCmd);
    WriteProfileInt(section, "x1", normal.left());
    WriteProfileInt(section, "y1", normal.top());
    WriteProfileInt(section, "x2", normal.left() + normal.width());
    WriteProfileInt(section, "y2", normal.top() + normal.height());

    const QList<int> rows = m_pOuterSplitter->sizes();
    const QList<int> columns = m_pInnerSplitter->sizes();
    for (int i = 0; i < 2; ++i) {
        WriteProfileInt(section, kRowNames[i][0], i < rows.size() ? rows[i] : kRowDefaults[i]);
        WriteProfileInt(section, kRowNames[i][1], m_aMinSizes[i]);
        WriteProfileInt(section, kColumnNames[i][0], i < columns.size() ? columns[i] : kColumnDefaults[i]);
        WriteProfileInt(section, kColumnNames[i][1], m_aMinSizes[2 + i]);
    }
    m_bStateSaved = true;
}

void CMainFrame::ApplyPaneSizes()
{
    // Sizes only mean something once the splitters have their room; until
    // the window shows, they are kept for then.
    if (!isVisible()) {
        m_bSizesPending = true;
        m_pOuterSplitter->setSizes(m_aRowSizes);
        m_pInnerSplitter->setSizes(m_aColumnSizes);
        return;
    }
    if (QLayout* frameLayout = layout())
        frameLayout->activate();
    const auto split = [](QSplitter* splitter, const QList<int>& sizes, int firstMin, int secondMin) {
        const int room = (splitter->orientation() == Qt::Vertical ? splitter->height() : splitter->width()) -
                         splitter->handleWidth();
        if (room <= 0 || sizes.size() < 2)
            return;
        // The first pane gets its size; the second takes what is left.
        const int first = std::clamp(sizes[0], std::min(firstMin, room), std::max(room - secondMin, 0));
        splitter->setSizes({first, room - first});
    };
    split(m_pOuterSplitter, m_aRowSizes, m_aMinSizes[0], m_aMinSizes[1]);
    split(m_pInnerSplitter, m_aColumnSizes, m_aMinSizes[2], m_aMinSizes[3]);
    m_bSizesPending = false;
}

int CMainFrame::RestoreWindowState()
{
    const std::string section = kSectionWindowState;
    // Pane sizes always apply, stored or default.
    QList<int> rows;
    QList<int> columns;
    for (int i = 0; i < 2; ++i) {
        rows.append(std::max(0, GetProfileInt(section, kRowNames[i][0], kRowDefaults[i])));
        m_aMinSizes[i] = std::max(0, GetProfileInt(section, kRowNames[i][1], 10));
        columns.append(std::max(0, GetProfileInt(section, kColumnNames[i][0], kColumnDefaults[i])));
        m_aMinSizes[2 + i] = std::max(0, GetProfileInt(section, kColumnNames[i][1], 10));
    }
    m_pInnerSplitter->setMinimumHeight(m_aMinSizes[0]);
    m_pOuterSplitter->widget(1)->setMinimumHeight(m_aMinSizes[1]);
    m_pInnerSplitter->widget(0)->setMinimumWidth(m_aMinSizes[2]);
    m_pInnerSplitter->widget(1)->setMinimumWidth(m_aMinSizes[3]);
    m_aRowSizes = rows;
    m_aColumnSizes = columns;
    ApplyPaneSizes();

    // The placement applies only when all of it is there.
    int values[6] = {};
    const char* const names[6] = {"flags", "showCmd", "x1", "y1", "x2", "y2"};
    for (int i = 0; i < 6; ++i) {
        values[i] = GetProfileInt(section, names[i], kMissing);
        if (values[i] == kMissing)
            return 0;
    }
    const int flags = values[0];
    const int showCmd = values[1];
    QRect normal(QPoint(values[2], values[3]), QPoint(values[4] - 1, values[5] - 1));
    if (normal.width() < 50 || normal.height() < 50)
        normal.setSize(QSize(std::max(normal.width(), 400), std::max(normal.height(), 300)));

    // A window left on a screen that is gone comes back where it can be
    // grabbed: its left and top edges at most an icon's size from the far
    // edges of the desktop, and not beyond its near edges. It keeps its size.
    const QRect desktop = DesktopRect();
    const int maxLeft = desktop.left() + desktop.width() - kIconSize;
    const int maxTop = desktop.top() + desktop.height() - kIconSize;
    if (normal.left() >= maxLeft)
        normal.moveLeft(maxLeft);
    if (normal.top() >= maxTop)
        normal.moveTop(maxTop);
    if (normal.right() < desktop.left() + kIconSize)
        normal.moveLeft(desktop.left());
    if (normal.top() < desktop.top())
        normal.moveTop(desktop.top());
    setGeometry(normal);

    // Starting minimized would hide the program: a window stored minimized
    // opens as it was before it was minimized.
    if (showCmd == kShowMaximized || (showCmd == kShowMinimized && (flags & kRestoreToMaximized)))
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    return 1;
}
