#include "workbench/price_file_written.h"

#include "base/owned_file.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <memory>

void setPriceFileWrittenHandler(std::function<void(const QString& path)> handler) {
    if (!handler) {
        varkel::setOwnedFileListener({});
        return;
    }
    // Held by the listener only: once it is replaced, a change still queued
    // for the window thread finds the handler gone and is dropped.
    const auto current = std::make_shared<std::function<void(const QString&)>>(std::move(handler));
    varkel::setOwnedFileListener([current](const std::filesystem::path& path) {
        const QString written = QFile::decodeName(path.c_str());
        QCoreApplication* app = QCoreApplication::instance();
        if (app == nullptr) return;
        if (QThread::currentThread() == app->thread()) {
            (*current)(written);
            return;
        }
        const std::weak_ptr<std::function<void(const QString&)>> later = current;
        QMetaObject::invokeMethod(
            app,
            [later, written] {
                if (const auto alive = later.lock()) (*alive)(written);
            },
            Qt::QueuedConnection);
    });
}
