// The file list as a drag source and a drop target.
#include "FileView.h"
