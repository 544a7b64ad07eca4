#include "shell/Host.h"

#include <charconv>
#include <cstdlib>

namespace kvx {

std::string Host::formatGroupedDecimals(double x, int decimals) const {
    // The digits without any locale: a decimal comma is the host's to add.
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals);
    if (ec != std::errc()) return std::to_string(x);
    std::string_view s(buf, size_t(end - buf));
    const size_t dot = s.find('.');
    std::string_view whole = s.substr(0, dot);
    const bool negative = !whole.empty() && whole[0] == '-';
    if (negative) whole.remove_prefix(1);
    int64_t n = 0;
    auto [p, e] = std::from_chars(whole.data(), whole.data() + whole.size(), n);
    std::string out = e == std::errc() && p == whole.data() + whole.size() ? formatGrouped(n)
                                                                           : std::string(whole);
    if (negative) out.insert(0, "-");
    if (dot != std::string_view::npos) out += decimalPoint() + std::string(s.substr(dot + 1));
    return out;
}

}  // namespace kvx
