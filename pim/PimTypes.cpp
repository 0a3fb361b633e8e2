#include "pim/PimTypes.h"
