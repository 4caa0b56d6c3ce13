#include "workbench/price_file_written.h"

namespace {

std::function<void(const QString&)>& handler() {
    static std::function<void(const QString&)> listening;
    return listening;
}

}  // namespace

void announcePriceFileWritten(const QString& path) {
    if (handler()) handler()(path);
}

void setPriceFileWrittenHandler(std::function<void(const QString& path)> listening) {
    handler() = std::move(listening);
}
