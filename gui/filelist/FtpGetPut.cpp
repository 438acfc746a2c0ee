// FTP Get and FTP Put: transfers by name, with restart and type override.
#include "FileView.h"

void CFileView::OnFtpGet() {}

void CFileView::OnFtpPut() {}
