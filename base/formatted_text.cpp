#include "base/formatted_text.h"

#include <cstdarg>

namespace varkel {

int formatInto(char* buffer, std::size_t size, const char* format, ...) {
    va_list values;
    va_start(values, format);
    const int length = std::vsnprintf(buffer, size, format, values);
    va_end(values);
    return length;
}

}  // namespace varkel
