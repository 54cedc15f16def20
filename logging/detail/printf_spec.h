// Reading "%" placeholders of numbered templates. Shared by the numbered formatter and the named-template
// scanner, which must agree on where a placeholder ends and how many values it takes.
#pragma once

#include <cstddef>
#include <string_view>

namespace Zarn::Logging::detail {

// A specification longer than this (from its "%" through the conversion, an index excluded) ends
// formatting.
inline constexpr std::size_t kMaxSpecLength = 59;
// Widths and precisions beyond the output buffer cannot change what fits in it.
inline constexpr int kMaxFieldWidth = 4096;

struct PrintfSpec {
    std::string_view flags;
    bool hasWidth = false;
    bool widthFromArgument = false;
    int width = 0;
    bool hasPrecision = false;
    bool precisionFromArgument = false;
    int precision = 0;
    std::string_view lengthModifier;
    char conversion = 0;
};

enum class PlaceholderKind {
    Percent,     // "%%"
    Bare,        // "%N": argument N with its defaults
    Indexed,     // "%N$spec"
    Sequential,  // "%spec": the next argument in order
    Incomplete,  // the template ends inside the placeholder
    TooLong,     // the printf conversion exceeds kMaxSpecLength
};

struct Placeholder {
    PlaceholderKind kind = PlaceholderKind::Incomplete;
    std::size_t index = 0;  // 0-based argument for Bare and Indexed
    PrintfSpec spec;
    std::size_t length = 0;  // characters of the template taken, from the "%"
};

// Reads flags, width, precision, length modifier and conversion from the start of `text`. Returns the
// characters taken, or 0 when the text ends before a conversion character.
std::size_t ReadPrintfSpec(std::string_view text, PrintfSpec& spec);

// Reads the placeholder at the start of `text`, which begins with "%". A number that is 0 or greater
// than `argumentCount` is not an index: the placeholder is then read as a plain specification.
Placeholder ReadPlaceholder(std::string_view text, std::size_t argumentCount);

// The number of arguments a placeholder consumes: its "*" widths and precisions plus its value.
std::size_t ArgumentsTaken(const Placeholder& placeholder);

}  // namespace Zarn::Logging::detail
