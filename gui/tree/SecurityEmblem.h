// The encryption of a server's connection, shown on its item in the folder
// tree: a lock drawn over the lower right corner of the server icon and the
// same words the status bar uses in the item's tooltip. A connection that
// encrypts everything gets a closed lock; one that encrypts only its
// commands (files go in clear) an open lock; a clear connection none.
#pragma once

#include <QIcon>

class QTreeWidgetItem;

namespace security_emblem {

// `base` with the lock of `state` painted into each of its pixmaps, the
// normal and the selected ones alike; `base` itself when no lock is due.
QIcon Decorate(const QIcon& base, int state);

// Gives a server item the icon (`base` decorated) and tooltip of `state`.
// The state shown is kept on the item, so that an unchanged state costs
// nothing and leaves the item alone; true when the item changed.
bool ApplyState(QTreeWidgetItem* item, const QIcon& base, int state);

// The state ApplyState last gave the item (-1: no connection); -2 when it
// never had one.
int ShownState(const QTreeWidgetItem* item);

}  // namespace security_emblem
