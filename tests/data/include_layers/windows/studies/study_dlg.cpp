#include "app/shell.h"
#include <QDialog>
