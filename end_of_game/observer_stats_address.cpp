#include "end_of_game/observer_stats_address.h"

#include "logging/message_format.h"

namespace Zarn::Client::EndOfGame {
namespace {

constexpr std::string_view kTemplate = "http://%1:%2/observer-mode/rest/consumer/endOfGameStats/%3/%4/token";

bool IsAsciiAlphanumeric(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsValidDnsName(std::string_view host) {
    if (host.empty() || host.size() > 253) return false;
    std::size_t labelLength = 0;
    char previous = '.';
    for (const char c : host) {
        if (c == '.') {
            if (labelLength == 0 || previous == '-') return false;
            labelLength = 0;
        } else if (IsAsciiAlphanumeric(c) || c == '-') {
            if (labelLength == 0 && c == '-') return false;
            if (++labelLength > 63) return false;
        } else {
            return false;
        }
        previous = c;
    }
    return labelLength > 0 && previous != '-';
}

bool IsValidBracketedIpv6(std::string_view host) {
    if (host.size() < 4 || host.front() != '[' || host.back() != ']' || host.size() > 47) return false;
    std::size_t colons = 0;
    for (const char c : host.substr(1, host.size() - 2)) {
        if (c == ':') {
            ++colons;
        } else if (!IsHexDigit(c) && c != '.') {
            return false;
        }
    }
    return colons >= 2;
}

}  // namespace

bool IsValidHost(std::string_view host) { return IsValidDnsName(host) || IsValidBracketedIpv6(host); }

std::string PercentEncodeSegment(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char c : text) {
        if (IsAsciiAlphanumeric(c) || c == '-' || c == '_' || c == '~') {
            encoded.push_back(c);
        } else {
            const auto byte = static_cast<unsigned char>(c);
            encoded.push_back('%');
            encoded.push_back(kHex[byte >> 4]);
            encoded.push_back(kHex[byte & 0x0F]);
        }
    }
    return encoded;
}

ObserverStatsAddress BuildObserverStatsAddress(std::string_view host, std::uint16_t port,
                                               std::string_view platformId, std::uint64_t gameId) {
    ObserverStatsAddress address;
    address.valid = IsValidHost(host);
    const std::string hostText = address.valid ? std::string(host) : PercentEncodeSegment(host);
    address.url = Logging::FormatMessage(kTemplate, hostText, static_cast<std::uint32_t>(port),
                                         PercentEncodeSegment(platformId), gameId);
    return address;
}

}  // namespace Zarn::Client::EndOfGame
