#pragma once

#include "workbench/seam.h"
