#include "framework/routes/route_template.h"

#include <cstddef>
#include <cstring>

namespace Zarn::Framework {
namespace {

bool IsPatternSpecial(char c) { return c != '\0' && std::strchr("^$.*+?()[]|\\", c) != nullptr; }

// The characters a placeholder's repetition accepts: "[^/]" or ECMAScript's ".".
bool Accepts(PlaceholderKind kind, char c) {
    if (kind == PlaceholderKind::Segment) return c != '/';
    return c != '\n' && c != '\r';
}

bool LiteralAt(std::string_view path, std::size_t position, const std::string& literal) {
    return path.size() - position >= literal.size() && path.compare(position, literal.size(), literal) == 0;
}

}  // namespace

RouteTemplate::RouteTemplate(std::string_view text) : text_(text) {
    std::string literal;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const std::size_t close = c == '{' ? text.find('}', i + 1) : std::string_view::npos;
        if (close == std::string_view::npos) {
            if (IsPatternSpecial(c)) pattern_ += '\\';
            pattern_ += c;
            literal += c;
            ++i;
            continue;
        }
        std::string_view inside = text.substr(i + 1, close - i - 1);
        Placeholder placeholder;
        if (!inside.empty() && inside.front() == '+') {
            placeholder.kind = PlaceholderKind::Rest;
            inside.remove_prefix(1);
            pattern_ += "(.*)";
        } else if (!inside.empty() && inside.front() == '#') {
            placeholder.kind = PlaceholderKind::Fragment;
            inside.remove_prefix(1);
            pattern_ += "#(.*)";
            literal += '#';
        } else {
            pattern_ += "([^/]*)";
        }
        placeholder.name = std::string(inside);
        placeholders_.push_back(std::move(placeholder));
        literals_.push_back(std::move(literal));
        literal.clear();
        i = close + 1;
    }
    literals_.push_back(std::move(literal));
}

bool RouteTemplate::Match(std::string_view path, std::vector<std::string_view>& captures) const {
    captures.clear();
    const std::size_t count = placeholders_.size();
    const std::string& first = literals_.front();
    const std::string& last = literals_.back();
    if (count == 0) return path == first;
    // Cheap rejections before any table is built.
    if (!LiteralAt(path, 0, first)) return false;
    if (path.size() < first.size() + last.size() || !LiteralAt(path, path.size() - last.size(), last)) {
        return false;
    }

    // tail[i][p]: whether what follows placeholder i (its literal and everything after) can match
    // path[p..]. Built from the end; "rest" is the same question for placeholder i+1's repetition
    // starting at p.
    const std::size_t n = path.size();
    std::vector<std::vector<bool>> tail(count, std::vector<bool>(n + 1, false));
    tail[count - 1][n - last.size()] = true;
    for (std::size_t i = count - 1; i-- > 0;) {
        const std::string& literal = literals_[i + 1];
        const PlaceholderKind next = placeholders_[i + 1].kind;
        const std::vector<bool>& after = tail[i + 1];
        bool rest = false;  // placeholder i+1 can start at p and the remainder match
        for (std::size_t p = n + 1; p-- > 0;) {
            rest = after[p] || (p < n && Accepts(next, path[p]) && rest);
            tail[i][p] = rest;
        }
        // tail[i] now says "repetition i+1 then the rest matches from p"; put the literal before it.
        if (!literal.empty()) {
            std::vector<bool> shifted(n + 1, false);
            for (std::size_t p = 0; p + literal.size() <= n; ++p) {
                if (tail[i][p + literal.size()] && path.compare(p, literal.size(), literal) == 0) {
                    shifted[p] = true;
                }
            }
            tail[i] = std::move(shifted);
        }
    }

    // Greedy choice, placeholder by placeholder: the longest run whose remainder still matches.
    std::size_t position = first.size();
    captures.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t end = position;
        while (end < n && Accepts(placeholders_[i].kind, path[end])) ++end;
        while (!tail[i][end]) {
            if (end == position) {
                captures.clear();
                return false;
            }
            --end;
        }
        captures.push_back(path.substr(position, end - position));
        position = end + literals_[i + 1].size();
    }
    return true;
}

std::vector<std::vector<std::string>> RouteTemplate::Segments() const {
    std::vector<std::vector<std::string>> segments(1);
    std::string literal;
    const auto flushLiteral = [&] {
        if (!literal.empty()) segments.back().push_back(std::move(literal));
        literal.clear();
    };
    std::string_view text = text_;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t close = text[i] == '{' ? text.find('}', i + 1) : std::string_view::npos;
        if (close != std::string_view::npos) {
            flushLiteral();
            segments.back().emplace_back(text.substr(i, close - i + 1));
            i = close + 1;
        } else if (text[i] == '/') {
            flushLiteral();
            segments.emplace_back();
            ++i;
        } else {
            literal += text[i++];
        }
    }
    flushLiteral();
    if (!text.empty() && text.front() == '/') segments.erase(segments.begin());
    if (!segments.empty() && segments.back().empty() && text.size() <= 1) segments.pop_back();
    return segments;
}

std::string_view StoredTemplate(std::string_view text) {
    if (text.size() > 1 && text.back() == '/') text.remove_suffix(1);
    return text;
}

}  // namespace Zarn::Framework
