// Who may use `mox-host serve`: whoever shows the secret made at start, as a bearer token, as the
// password of HTTP Basic with the fixed user name, or in the cookie the page's sign-in sets. The
// secret comes from the system's cryptographic source; every comparison takes the same time
// whatever the guess, so the answer's timing tells nothing about the secret. Read-only once made;
// any thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace Zarn::MoxHost {

class ServeAccess {
public:
    static constexpr const char* kUserName = "mox";
    static constexpr const char* kCookieName = "mox-host-token";

    // A fresh secret of 32 random bytes as 64 hexadecimal digits; nothing when the system's
    // source fails (serving without a secret is not an option).
    static std::optional<ServeAccess> Make();
    explicit ServeAccess(std::string secret);

    const std::string& Secret() const noexcept { return secret_; }

    // The value of an Authorization header: "Bearer SECRET" or "Basic base64(mox:SECRET)", the
    // scheme in any case.
    bool AllowsAuthorization(std::string_view header) const;
    // A Cookie header holding kCookieName=SECRET among its pairs.
    bool AllowsCookie(std::string_view header) const;
    // The secret itself (the page's sign-in link).
    bool Matches(std::string_view candidate) const;

private:
    std::string secret_;
    std::string basic_;  // base64 of "mox:SECRET"
};

// Equal texts, in a time that depends on the length of `expected` only.
bool ConstantTimeEquals(std::string_view candidate, std::string_view expected);

}  // namespace Zarn::MoxHost
