#include "shell/Host.h"

#include <cstdio>

namespace kvx {

std::string Host::formatGroupedDecimals(double x, int decimals) const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    return buf;
}

}  // namespace kvx
