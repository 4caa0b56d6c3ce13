#include "windows/data/data_server_setting.h"

#include "data/data_server.h"
#include "workbench/settings_store.h"

namespace {

const QString addressKey = QStringLiteral("Data Server/Address");

}  // namespace

QString storedDataServer() {
    return settingsStore().value(addressKey).toString();
}

void storeDataServer(const QString& address) {
    settingsStore().setValue(addressKey, address);
}

QString resolvedDataServer(const QString& commandLineAddress) {
    return QString::fromStdString(
        varkel::resolveDataServer(commandLineAddress.toStdString(), storedDataServer().toStdString()));
}
