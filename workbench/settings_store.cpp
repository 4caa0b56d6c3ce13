#include "workbench/settings_store.h"

QSettings settingsStore() {
    return QSettings(QStringLiteral("Local AppWizard-Generated Applications"), QStringLiteral("VarkelModel2c"));
}
