#pragma once

#include <QString>

// The data server's base address as the workstation keeps it in its settings
// store; empty when none was stored.
QString storedDataServer();
void storeDataServer(const QString& address);

// The address a download uses: `commandLineAddress` (--server) if given, else
// $VARKEL_DATA_SERVER, else the stored one, else the default.
QString resolvedDataServer(const QString& commandLineAddress);
