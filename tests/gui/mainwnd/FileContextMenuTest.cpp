#include "ViewsTestSupport.h"
