#include "data/data_server.h"

#include <cstdlib>

namespace varkel {

std::string resolveDataServer(std::string_view explicitAddress, std::string_view storedAddress) {
    if (!explicitAddress.empty()) return std::string(explicitAddress);
    if (const char* fromEnvironment = std::getenv(dataServerVariable);
        fromEnvironment != nullptr && *fromEnvironment != '\0')
        return fromEnvironment;
    if (!storedAddress.empty()) return std::string(storedAddress);
    return std::string(defaultDataServer);
}

}  // namespace varkel
