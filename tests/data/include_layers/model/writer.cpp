#include "base/atomic_file.h"
#include "base/file_lock.h"

void saveTrade() {}
