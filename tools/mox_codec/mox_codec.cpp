// mox-codec: decodes a JSON, MessagePack or YAML payload with the plugin's own decoders and prints
// it as JSON or as a tree that shows every value's kind. For inspecting payloads and checking what
// the plugin would make of them.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "binding/binding_result.h"
#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "encodings/message_pack_decoder.h"
#include "encodings/yaml_decoder.h"

namespace {

using Zarn::Binding::BindingKind;
using Zarn::Binding::BindingProperty;

constexpr const char* kUsage =
    "usage: mox-codec decode --from json|msgpack|yaml [--pretty] [--crlf] [--kinds] [FILE|-]\n"
    "       mox-codec --help\n"
    "\n"
    "Decodes one payload (from FILE, or from standard input when FILE is - or missing) and prints\n"
    "the value on standard output:\n"
    "  (default)  compact JSON, as the plugin writes it\n"
    "  --pretty   JSON indented by four spaces per level\n"
    "  --crlf     pretty JSON with CR LF line breaks\n"
    "  --kinds    a tree that names every value's kind (signed, unsigned, float, string, blob, ...)\n"
    "On a decoding error the decoder's message goes to standard error and the exit status is 1;\n"
    "a usage error exits with 2. MessagePack bytes after the first value are reported, not read.\n";

struct Options {
    std::string from;
    std::string file = "-";
    std::string lineBreak;
    bool kinds = false;
};

int UsageError(const std::string& problem) {
    std::cerr << "mox-codec: " << problem << "\n\n" << kUsage;
    return 2;
}

bool ReadInput(const std::string& file, std::string& bytes) {
    if (file == "-") {
        std::ostringstream out;
        out << std::cin.rdbuf();
        bytes = out.str();
        return !std::cin.bad();
    }
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

std::string ScalarText(const BindingProperty& value) {
    switch (value.Kind()) {
        case BindingKind::Empty:
            return "empty";
        case BindingKind::Bool:
            return value.GetBool() ? "bool true" : "bool false";
        case BindingKind::Signed:
            return "signed " + std::to_string(value.GetSigned());
        case BindingKind::Unsigned:
            return "unsigned " + std::to_string(value.GetUnsigned());
        case BindingKind::Float: {
            char buffer[64];
            auto end = std::to_chars(buffer, buffer + sizeof buffer, value.GetFloat()).ptr;
            return "float " + std::string(buffer, end);
        }
        case BindingKind::String:
            return "string " + Zarn::Encodings::WriteJson(value);
        case BindingKind::Blob:
            return "blob (" + std::to_string(value.Size()) + " bytes) " + value.AsString();
        case BindingKind::Enum:
            return "enum " + std::to_string(value.GetEnum().value) + " (type " +
                   std::to_string(value.GetEnum().typeId) + ")";
        default:
            return {};
    }
}

// Decoded values nest at most kMaxDecodeDepth levels, so the recursion is bounded.
void PrintKinds(const BindingProperty& value, const std::string& label, int indent, std::ostream& out) {
    out << std::string(static_cast<std::size_t>(indent) * 2, ' ') << label;
    if (value.Kind() == BindingKind::Collection) {
        out << "collection (" << value.Size() << ")\n";
        std::size_t index = 0;
        for (const auto& element : value.Elements()) {
            PrintKinds(element, "[" + std::to_string(index++) + "] ", indent + 1, out);
        }
    } else if (value.Kind() == BindingKind::Structure) {
        out << "structure (" << value.Size() << ")\n";
        for (const auto& field : value.Fields()) {
            BindingProperty name;
            name.SetString(field.Name());
            PrintKinds(field.Value(), Zarn::Encodings::WriteJson(name) + ": ", indent + 1, out);
        }
    } else {
        out << ScalarText(value) << "\n";
    }
}

int Decode(const Options& options) {
    std::string bytes;
    if (!ReadInput(options.file, bytes)) {
        std::cerr << "mox-codec: cannot read " << options.file << "\n";
        return 1;
    }
    Zarn::Binding::BindingResult result;
    if (options.from == "json") {
        result = Zarn::Encodings::ReadJson(bytes);
    } else if (options.from == "yaml") {
        result = Zarn::Encodings::DecodeYaml(bytes);
    } else {
        auto decoding = Zarn::Encodings::DecodeMessagePack(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        if (decoding.result.Succeeded() && decoding.consumed < bytes.size()) {
            std::cerr << "mox-codec: " << bytes.size() - decoding.consumed
                      << " bytes after the value were not read\n";
        }
        result = std::move(decoding.result);
    }
    if (result.Failed()) {
        std::cerr << result.Message() << "\n";
        return 1;
    }
    if (options.kinds) {
        PrintKinds(result.Value(), "", 0, std::cout);
    } else {
        std::cout << Zarn::Encodings::WriteJson(result.Value(), nullptr, options.lineBreak)
                  << options.lineBreak;
        if (options.lineBreak.empty()) std::cout << "\n";
    }
    return std::cout.good() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty()) return UsageError("a command is needed");
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        std::cout << kUsage;
        return 0;
    }
    if (args[0] != "decode") return UsageError("unknown command '" + std::string(args[0]) + "'");
    Options options;
    bool haveFile = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (arg == "--from" && i + 1 < args.size()) {
            options.from = args[++i];
        } else if (arg.starts_with("--from=")) {
            options.from = arg.substr(7);
        } else if (arg == "--pretty") {
            if (options.lineBreak.empty()) options.lineBreak = "\n";
        } else if (arg == "--crlf") {
            options.lineBreak = "\r\n";
        } else if (arg == "--kinds") {
            options.kinds = true;
        } else if ((arg == "-" || !arg.starts_with("-")) && !haveFile) {
            options.file = arg;
            haveFile = true;
        } else {
            return UsageError("unexpected argument '" + std::string(arg) + "'");
        }
    }
    if (options.from != "json" && options.from != "msgpack" && options.from != "yaml") {
        return UsageError("--from must be json, msgpack or yaml");
    }
    return Decode(options);
}
