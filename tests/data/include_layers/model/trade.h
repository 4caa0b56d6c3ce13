#pragma once

#include "search/grid.h"
