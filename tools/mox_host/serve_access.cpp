#include "tools/mox_host/serve_access.h"

#include <array>
#include <cctype>
#include <cstdint>

#include "binding/binding_property.h"
#include "platform/random.h"

namespace Zarn::MoxHost {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

bool ConstantTimeEquals(std::string_view candidate, std::string_view expected) {
    // Every byte of `expected` is visited whatever the candidate; a length mismatch only adds to
    // the difference.
    unsigned difference = candidate.size() == expected.size() ? 0u : 1u;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const unsigned char c = i < candidate.size() ? static_cast<unsigned char>(candidate[i]) : 0u;
        difference |= c ^ static_cast<unsigned char>(expected[i]);
    }
    return difference == 0;
}

std::optional<ServeAccess> ServeAccess::Make() {
    std::array<std::uint8_t, 32> bytes{};
    if (!Platform::FillSecureRandom(bytes.data(), bytes.size())) return std::nullopt;
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string secret;
    for (std::uint8_t byte : bytes) {
        secret.push_back(kDigits[byte >> 4]);
        secret.push_back(kDigits[byte & 15]);
    }
    return ServeAccess(std::move(secret));
}

ServeAccess::ServeAccess(std::string secret) : secret_(std::move(secret)) {
    // The blob's text form is its Base64: the expected credential is encoded once, so a request's
    // is compared as it stands, without decoding what a stranger sent.
    const std::string plain = std::string(kUserName) + ":" + secret_;
    Binding::BindingProperty blob;
    blob.SetBlob(reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size());
    basic_ = blob.AsString();
}

bool ServeAccess::Matches(std::string_view candidate) const { return ConstantTimeEquals(candidate, secret_); }

bool ServeAccess::AllowsAuthorization(std::string_view header) const {
    header = Trim(header);
    if (StartsWithNoCase(header, "Bearer ")) return ConstantTimeEquals(Trim(header.substr(7)), secret_);
    if (StartsWithNoCase(header, "Basic ")) return ConstantTimeEquals(Trim(header.substr(6)), basic_);
    return false;
}

bool ServeAccess::AllowsCookie(std::string_view header) const {
    const std::string_view name = kCookieName;
    bool allowed = false;
    while (!header.empty()) {
        const std::size_t end = header.find(';');
        const std::string_view pair = Trim(header.substr(0, end));
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=')
            allowed = ConstantTimeEquals(pair.substr(name.size() + 1), secret_) || allowed;
        if (end == std::string_view::npos) break;
        header.remove_prefix(end + 1);
    }
    return allowed;
}

}  // namespace Zarn::MoxHost
