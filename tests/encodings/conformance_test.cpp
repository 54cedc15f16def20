// The public conformance suites beside the repository (shared/conformance): JSON parsing, the
// MessagePack test suite and the YAML test suite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "describe.h"
#include "encodings/json_reader.h"
#include "encodings/json_writer.h"
#include "encodings/message_pack_decoder.h"
#include "encodings/yaml_decoder.h"

namespace Zarn::Encodings {
namespace {

namespace fs = std::filesystem;
using Binding::BindingKind;
using Binding::BindingProperty;

const fs::path kSuites = fs::path(MOX_SOURCE_DIR) / ".." / "shared" / "conformance";

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool IsNumber(const BindingProperty& v) {
    return v.Kind() == BindingKind::Signed || v.Kind() == BindingKind::Unsigned ||
           v.Kind() == BindingKind::Float;
}

// Numbers compare by value whatever their kind: the suites write 1 where a decoder may give
// "signed", "unsigned" or "float".
bool NumbersEqual(const BindingProperty& a, const BindingProperty& b) {
    if (a.Kind() == BindingKind::Float || b.Kind() == BindingKind::Float) {
        auto asDouble = [](const BindingProperty& v) {
            return v.Kind() == BindingKind::Float    ? v.GetFloat()
                   : v.Kind() == BindingKind::Signed ? static_cast<double>(v.GetSigned())
                                                     : static_cast<double>(v.GetUnsigned());
        };
        return asDouble(a) == asDouble(b);
    }
    bool aNegative = a.Kind() == BindingKind::Signed && a.GetSigned() < 0;
    bool bNegative = b.Kind() == BindingKind::Signed && b.GetSigned() < 0;
    if (aNegative != bNegative) return false;
    return aNegative ? a.GetSigned() == b.GetSigned() : a.AsUnsigned() == b.AsUnsigned();
}

bool Equivalent(const BindingProperty& expected, const BindingProperty& actual) {
    if (IsNumber(expected) && IsNumber(actual)) return NumbersEqual(expected, actual);
    if (expected.Kind() != actual.Kind()) return false;
    switch (expected.Kind()) {
        case BindingKind::Collection: {
            auto e = expected.Elements();
            auto a = actual.Elements();
            return e.size() == a.size() && std::equal(e.begin(), e.end(), a.begin(), Equivalent);
        }
        case BindingKind::Structure: {
            auto e = expected.Fields();
            auto a = actual.Fields();
            return e.size() == a.size() &&
                   std::equal(e.begin(), e.end(), a.begin(), [](const auto& x, const auto& y) {
                       return x.Name() == y.Name() && Equivalent(x.Value(), y.Value());
                   });
        }
        default:
            return expected == actual;
    }
}

std::vector<fs::path> SortedFiles(const fs::path& directory) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(directory)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

TEST(JsonConformance, AcceptsValidTextsRejectsInvalidOnesAndWritesWhatItReads) {
    const fs::path directory = kSuites / "json" / "test_parsing";
    ASSERT_TRUE(fs::is_directory(directory)) << directory;
    std::vector<std::string> wrong;
    int accepted = 0, rejected = 0;
    for (const auto& path : SortedFiles(directory)) {
        std::string name = path.filename().string();
        auto result = ReadJson(ReadFile(path));
        if (name.starts_with("y_")) {
            if (result.Failed()) {
                wrong.push_back(name + ": " + std::string(result.Message()));
                continue;
            }
            ++accepted;
            // Numbers may change kind ("-0" is "signed", the 0 written for it "unsigned"), not value.
            auto again = ReadJson(WriteJson(result.Value()));
            if (again.Failed() || !Equivalent(result.Value(), again.Value())) {
                wrong.push_back(name + ": changed by a round trip");
            }
        } else if (name.starts_with("n_")) {
            // An empty or white-space text is this system's way to send no value.
            bool blank = ReadFile(path).find_first_not_of(" \t\r\n") == std::string::npos;
            if (result.Succeeded() != blank) wrong.push_back(name + ": accepted");
            ++rejected;
        }
        // i_ files may go either way; reading them must only not crash.
    }
    EXPECT_EQ(accepted, 95);
    EXPECT_EQ(rejected, 188);
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

std::vector<std::uint8_t> HexBytes(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 3) {
        bytes.push_back(
            static_cast<std::uint8_t>(std::strtoul(std::string(hex.substr(i, 2)).c_str(), nullptr, 16)));
    }
    return bytes;
}

// The suite's expected value, in the form the decoder gives: binaries are "00-ff" texts, big
// numbers come as decimal text beside their approximate JSON number.
BindingProperty ExpectedMessagePackValue(const BindingProperty& testCase) {
    BindingProperty expected;
    if (testCase.HasField("binary")) {
        expected.SetBlob(HexBytes(testCase.Field("binary").GetString()));
    } else if (testCase.HasField("bignum")) {
        std::string digits(testCase.Field("bignum").GetString());
        if (digits.starts_with("-")) {
            expected.SetSigned(std::strtoll(digits.c_str(), nullptr, 10));
        } else {
            expected.SetUnsigned(std::strtoull(digits.c_str(), nullptr, 10));
        }
    } else {
        for (const char* key : {"nil", "bool", "number", "string", "array", "map"}) {
            if (testCase.HasField(key)) expected = testCase.Field(key);
        }
    }
    return expected;
}

TEST(MessagePackConformance, DecodesEveryRepresentableValueAndRefusesExtensions) {
    const fs::path file = kSuites / "msgpack" / "dist" / "msgpack-test-suite.json";
    auto suite = ReadJson(ReadFile(file));
    ASSERT_TRUE(suite.Succeeded()) << file << ": " << suite.Message();
    std::vector<std::string> wrong;
    int decoded = 0, refused = 0;
    for (const auto& group : suite.Value().Fields()) {
        for (const auto& testCase : group.Value().Elements()) {
            bool extension = testCase.HasField("ext") || testCase.HasField("timestamp");
            BindingProperty expected = ExpectedMessagePackValue(testCase);
            for (const auto& hex : testCase.Field("msgpack").Elements()) {
                auto bytes = HexBytes(hex.GetString());
                auto decoding = DecodeMessagePack(bytes.data(), bytes.size());
                std::string label = std::string(group.Name()) + " " + std::string(hex.GetString());
                if (extension) {
                    if (decoding.result.Message() != "Invalid MessagePack data at position 1.") {
                        wrong.push_back(label + ": " + std::string(decoding.result.Message()));
                    }
                    ++refused;
                } else if (decoding.result.Failed() || decoding.consumed != bytes.size() ||
                           !Equivalent(expected, decoding.result.Value())) {
                    wrong.push_back(label + ": " + std::string(decoding.result.Message()) + " " +
                                    Testing::Describe(decoding.result.Value()));
                } else {
                    ++decoded;
                }
            }
        }
    }
    EXPECT_GT(decoded, 150);
    EXPECT_EQ(refused, 30);
    EXPECT_TRUE(wrong.empty()) << ::testing::PrintToString(wrong);
}

// How a YAML case of the suite came out, and how its disagreements are explained. Each class of
// disagreement states what must then be true of the decoder's answer, so the checked-in list
// cannot drift from what the decoder does.
struct YamlOutcome {
    bool errorCase = false;
    bool agrees = false;
    bool severalDocuments = false;  // the suite expects more than one document
    std::string detail;             // the decoder's message, or its value when that differs
    bool failed = false;
};

bool ClassExplains(const std::string& cls, const YamlOutcome& outcome) {
    const std::string& m = outcome.detail;
    if (cls == "multi-document") {
        // Succeeding is right when the documents before the last produced nothing.
        return outcome.severalDocuments && (!outcome.failed || m == "Multi-document YAML is not supported.");
    }
    if (cls == "string-keys-only") {
        return outcome.failed &&
               (m.starts_with("Invalid mapping key.") || m.starts_with("Unexpected start of"));
    }
    if (cls == "core-tags-only") return outcome.failed && m.starts_with("Unsupported YAML tag");
    if (cls == "anchors-not-redefined")
        return outcome.failed && m.starts_with("Duplicate occurrence of anchor");
    if (cls == "scalar-typing" || cls == "parser-value") return !outcome.failed && !outcome.errorCase;
    if (cls == "parser-rejects") return outcome.failed && m.starts_with("YAML parser error:");
    if (cls == "parser-accepts") return !outcome.failed && outcome.errorCase;
    return false;
}

std::map<std::string, YamlOutcome> RunYamlSuite(const fs::path& root) {
    std::map<std::string, YamlOutcome> outcomes;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().filename() != "in.yaml") continue;
        fs::path directory = entry.path().parent_path();
        std::string id = fs::relative(directory, root).generic_string();
        if (id.starts_with("name/") || id.starts_with("tags/")) continue;
        YamlOutcome outcome;
        outcome.errorCase = fs::exists(directory / "error");
        auto result = DecodeYaml(ReadFile(entry.path()));
        outcome.failed = result.Failed();
        outcome.detail = std::string(result.Message());
        if (outcome.errorCase) {
            outcome.agrees = result.Failed();
        } else if (fs::exists(directory / "in.json")) {
            auto expected = ReadJson(ReadFile(directory / "in.json"));
            outcome.severalDocuments =
                expected.Message().starts_with("Error: The document root must not be followed");
            outcome.agrees =
                expected.Succeeded() && result.Succeeded() && Equivalent(expected.Value(), result.Value());
            if (result.Succeeded() && !outcome.agrees) outcome.detail = Testing::Describe(result.Value());
        } else {
            continue;  // no expected value: decoding must only not crash
        }
        outcomes[id] = outcome;
    }
    return outcomes;
}

TEST(YamlConformance, AgreesWithTheSuiteExceptWhereTheSystemsRulesDiffer) {
    const fs::path root = kSuites / "yaml" / "data";
    ASSERT_TRUE(fs::is_directory(root)) << root;
    auto outcomes = RunYamlSuite(root);

    // id -> class, from the checked-in list of explained disagreements.
    std::map<std::string, std::string> listed;
    std::ifstream list(fs::path(MOX_SOURCE_DIR) / "tests" / "encodings" /
                       "yaml_conformance_disagreements.txt");
    for (std::string line; std::getline(list, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        std::string id, cls;
        fields >> id >> cls;
        listed[id] = cls;
    }

    int pairs = 0, agreeingPairs = 0, errors = 0, rejectedErrors = 0;
    std::vector<std::string> unexplained, stale;
    for (const auto& [id, outcome] : outcomes) {
        (outcome.errorCase ? errors : pairs) += 1;
        if (outcome.agrees) {
            (outcome.errorCase ? rejectedErrors : agreeingPairs) += 1;
            if (listed.contains(id)) stale.push_back(id);
        } else if (!listed.contains(id) || !ClassExplains(listed[id], outcome)) {
            unexplained.push_back(id + " (" + (listed.contains(id) ? listed[id] : "unlisted") +
                                  "): " + outcome.detail);
        }
    }
    std::cout << "YAML suite: " << agreeingPairs << " of " << pairs << " in.yaml/in.json pairs agree, "
              << rejectedErrors << " of " << errors << " error cases rejected, " << listed.size()
              << " disagreements explained\n";
    std::string unexplainedLines;
    for (const auto& line : unexplained) unexplainedLines += line + "\n";
    EXPECT_TRUE(unexplained.empty()) << unexplainedLines;
    EXPECT_TRUE(stale.empty()) << "listed but agreeing now: " << ::testing::PrintToString(stale);
}

}  // namespace
}  // namespace Zarn::Encodings
