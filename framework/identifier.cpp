#include "framework/identifier.h"

namespace Zarn::Framework {
namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string IdentifierRule(std::string_view text) {
    std::string result;
    result.reserve(text.size() + 8);
    bool capitalizeNext = true;
    for (char c : text) {
        switch (c) {
            case '!':
            case '+':
            case '-':
            case '.':
            case '/':
            case '_':
                capitalizeNext = true;
                break;
            case '{':
                result += "By";
                capitalizeNext = true;
                break;
            case '}':
                break;
            default:
                result += capitalizeNext ? AsciiUpper(c) : c;
                capitalizeNext = false;
                break;
        }
    }
    return result;
}

std::string Identifier(std::string_view text, std::string_view prefix) {
    if (prefix.empty()) return IdentifierRule(text);
    std::string composed;
    composed.reserve(prefix.size() + 1 + text.size());
    composed += prefix.front();
    for (char c : prefix.substr(1)) composed += AsciiLower(c);
    composed += '/';
    composed += text;
    return IdentifierRule(composed);
}

}  // namespace Zarn::Framework
