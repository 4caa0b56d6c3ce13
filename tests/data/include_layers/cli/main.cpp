#include "workbench/seam.h"
