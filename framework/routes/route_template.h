// A route's path template ("/mox-x/v1/items/{id}", "/files/{+path}", "/page{#anchor}") with its
// placeholders, its regular-expression text, and a matcher for whole request paths.
//
// The matcher gives the results of the regular expression under ECMAScript rules: a segment
// placeholder matches "[^/]*", a rest-of-path placeholder ".*" (any byte but "\n" and "\r"), a
// fragment placeholder "#" then ".*"; literal text matches itself only; quantifiers are greedy, so
// of all ways to match, the one giving the first placeholder the most characters, then the second,
// and so on, is taken. It runs in time linear in the path for a given template and never recurses,
// so request paths of megabytes cannot exhaust the stack. Immutable after construction; any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Zarn::Framework {

enum class PlaceholderKind : std::uint32_t {
    Segment = 1,   // {name}: one path segment, no "/"
    Rest = 2,      // {+name}: the rest of the path, "/" included
    Fragment = 3,  // {#name}: a "#" and everything after it
};

struct Placeholder {
    std::string name;
    PlaceholderKind kind = PlaceholderKind::Segment;

    bool operator==(const Placeholder&) const = default;
};

class RouteTemplate {
public:
    // A "{" without a closing "}" is literal text. The "+" or "#" counts only as the first
    // character inside the braces.
    explicit RouteTemplate(std::string_view text);

    const std::string& Text() const { return text_; }
    // The regular expression: literal text with "^$.*+?()[]|\" escaped, placeholders replaced by
    // "([^/]*)", "(.*)" and "#(.*)".
    const std::string& Pattern() const { return pattern_; }
    const std::vector<Placeholder>& Placeholders() const { return placeholders_; }
    // The "/"-separated segments after the leading "/", each as its pieces in order: literal
    // text and placeholders as written, braces included ("by-", "{name}"). "/" has none.
    std::vector<std::vector<std::string>> Segments() const;

    // Whether the whole path matches; on a match `captures` holds one view into `path` per
    // placeholder, in order (a fragment's without its "#"), and is otherwise left empty.
    bool Match(std::string_view path, std::vector<std::string_view>& captures) const;

private:
    // The template as literal text around placeholders: literals_[i] precedes the placeholder i
    // (a fragment's "#" included), and the last literal follows the last placeholder.
    std::string text_;
    std::string pattern_;
    std::vector<Placeholder> placeholders_;
    std::vector<std::string> literals_;
};

// The template a route stores: one trailing "/" dropped unless the template is "/" itself.
std::string_view StoredTemplate(std::string_view text);

}  // namespace Zarn::Framework
