// The main window's icons: taken from the desktop's icon theme where it has
// them, drawn here otherwise, so the tool bar never shows empty buttons.
#pragma once

#include <QIcon>

enum class FrameIcon {
    NewLogin,
    Open,
    Cut,
    Copy,
    Paste,
    Delete,
    LargeIcons,
    SmallIcons,
    List,
    Details,
    About,
    ContextHelp,
    Refresh,
    Application,
};

QIcon GetFrameIcon(FrameIcon icon);
// The built-in drawing alone, whatever the theme has.
QIcon BuiltInFrameIcon(FrameIcon icon);
