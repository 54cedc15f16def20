#include "tools/mox_host/scenario_file.h"

#include <fstream>
#include <iterator>

#include "encodings/json_reader.h"
#include "encodings/yaml_decoder.h"
#include "tools/mox_host/default_scenario.h"

namespace Zarn::MoxHost {

Binding::BindingResult ReadScenario(const std::string& path) {
    if (path.empty()) return Encodings::DecodeYaml(kDefaultScenario);
    std::ifstream file(path, std::ios::binary);
    if (!file) return Binding::BindingResult::MakeFailure("cannot open " + path);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const bool json = path.size() >= 5 && path.compare(path.size() - 5, 5, ".json") == 0;
    Binding::BindingResult read = json ? Encodings::ReadJson(text) : Encodings::DecodeYaml(text);
    if (read.Failed()) read.Fail(path + ": " + std::string(read.Message()));
    return read;
}

}  // namespace Zarn::MoxHost
