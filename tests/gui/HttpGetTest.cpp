#include "GuiTestSupport.h"
