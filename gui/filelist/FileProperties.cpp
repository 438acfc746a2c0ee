// Properties and Unix permissions of the file list's rows.
#include "FileView.h"

void CFileView::OnFileProperties() {}

void CFileView::OnFtpUnixchmod() {}
