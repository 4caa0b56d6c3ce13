#pragma once

#include "app/shell.h"
