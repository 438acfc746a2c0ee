#include "TreeTestSupport.h"
