#include "HttpGetDlg.h"
