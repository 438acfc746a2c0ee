#include "FileProp.h"
