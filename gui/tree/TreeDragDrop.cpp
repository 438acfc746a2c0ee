// The folder tree as a drag source and a drop target.
#include "DriveView.h"
