#include "NetTools.h"
