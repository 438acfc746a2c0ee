// Drops and pastes of file descriptors with contents: files another
// program describes, or FTP rows of our own file list.
#include "DriveView.h"

bool CDriveView::ProcessOleFG(const QMimeData*, QTreeWidgetItem*)
{
    return false;
}

bool CDriveView::ProcessDropFileContents(const QMimeData*, const std::string&, int)
{
    return false;
}
