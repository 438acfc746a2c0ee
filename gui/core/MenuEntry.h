// One dynamic menu item: a Send To target or a verb of a file type. The
// views find it again by the command id of the chosen menu item.
#pragma once

#include <QString>

struct CMenuEntry {
    QString m_strVerb;     // the verb to run ("open", or an application id)
    QString m_strText;     // the menu text
    QString m_strName;     // the display name or the verb
    QString m_strCommand;  // program to run with the item, or empty
    int m_nFlags = 0;
    int m_nID = 0;
};
