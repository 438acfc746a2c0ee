#include "TreeTestSupport.h"

#include "Profile.h"

#include <QSettings>
#include <QTreeWidgetItem>

namespace treetest {

void ClearProfile()
{
    QSettings settings(QString::fromLatin1(kProfileCompany), QString::fromLatin1(kProfileApplication));
    settings.clear();
    settings.sync();
}

QStringList ChildLabels(QTreeWidgetItem* item)
{
    QStringList labels;
    for (int i = 0; item && i < item->childCount(); ++i)
        labels << item->child(i)->text(0);
    return labels;
}

}  // namespace treetest
