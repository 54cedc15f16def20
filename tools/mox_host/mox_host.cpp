// mox-host: loads a plugin library as the game client's host would, plays a scenario through it
// against simulated peers and shows what the plugin did, as an account for a person or as a JSON
// transcript; `describe` prints the plugin's API description. Exit statuses: 0 passed, 1 an
// expectation failed, 2 bad usage or an unreadable scenario, 3 the plugin misbehaved.
#include <unistd.h>

#include <csignal>
#include <cstring>

#include <CLI/CLI.hpp>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "encodings/json_writer.h"
#include "host/plugin_host.h"
#include "platform/process.h"
#include "tools/mox_host/account.h"
#include "tools/mox_host/api_description.h"
#include "tools/mox_host/scenario_file.h"
#include "tools/mox_host/scenario_player.h"
#include "tools/mox_host/serve.h"
#include "tools/mox_host/transcript_line.h"

namespace {

using Zarn::Binding::BindingProperty;
using namespace Zarn::MoxHost;

// The plugin built beside the host: next to the executable first, then where the build put it.
std::string DefaultPlugin() {
    std::string path = Zarn::Platform::ProgramFilePath();
    if (!path.empty()) {
        path = path.substr(0, path.find_last_of("\\/") + 1) + MOX_PLUGIN_FILE_NAME;
        if (::access(path.c_str(), R_OK) == 0) return path;
    }
    return MOX_PLUGIN_BUILT_AT;
}

ScenarioPlayer* playing = nullptr;  // for the crash handler

// A crash, or an exception the plugin's own runtime could not deliver (it aborts), ends the run
// with the fault recorded. Not async-signal-safe, but the process is lost either way and the
// record is what a person needs; a second signal meanwhile ends it at once.
constexpr struct {
    int number;
    const char* name;
} kFatalSignals[] = {
    {SIGSEGV, "Segmentation fault"},
#ifdef SIGBUS
    {SIGBUS, "Bus error"},
#endif
    {SIGILL, "Illegal instruction"}, {SIGFPE, "Floating point exception"}, {SIGABRT, "Aborted"},
};

extern "C" void OnFatalSignal(int signal) {
    std::signal(signal, SIG_DFL);
    const char* name = "Fatal signal";
    for (const auto& fatal : kFatalSignals) {
        if (fatal.number == signal) name = fatal.name;
    }
    if (playing != nullptr) playing->OnCrash(name);
    std::_Exit(kPluginFault);
}

void CatchCrashes(ScenarioPlayer& player) {
    playing = &player;
    for (const auto& fatal : kFatalSignals) std::signal(fatal.number, OnFatalSignal);
}

int Run(const std::string& scenarioPath, const std::string& plugin, bool jsonl,
        const std::string& transcriptPath) {
    Zarn::Binding::BindingResult scenario = ReadScenario(scenarioPath);
    if (scenario.Failed()) {
        std::cerr << "mox-host: " << scenario.Message() << "\n";
        return kScenarioUnusable;
    }
    std::ofstream transcript;
    if (!transcriptPath.empty()) {
        transcript.open(transcriptPath, std::ios::binary | std::ios::trunc);
        if (!transcript) {
            std::cerr << "mox-host: cannot write " << transcriptPath << "\n";
            return kScenarioUnusable;
        }
    }
    Account account(std::cout, !jsonl && ::isatty(STDOUT_FILENO) == 1);
    std::string firstFault;
    ScenarioPlayer player(std::move(scenario.Value()), plugin, [&](const BindingProperty& object) {
        const std::string line = TranscriptLine(object);
        if (object.Field("kind").GetString() == "fault" && firstFault.empty())
            firstFault = object.Field("text").GetString();
        if (jsonl)
            std::cout << line << "\n";
        else
            account.Add(object);
        if (transcript.is_open()) transcript << line << "\n";
    });
    player.OnStuck([&] {
        std::cout.flush();
        transcript.flush();
        std::cerr << "mox-host: the plugin misbehaved: " << firstFault << "\n";
        std::_Exit(kPluginFault);
    });
    CatchCrashes(player);
    std::string problem;
    const int status = player.Play(problem);
    playing = nullptr;
    if (!jsonl) account.Finish(player.Peer("/mox-game-data/assets/v1/champion-summary.json"));
    std::cout.flush();
    if (!problem.empty()) std::cerr << "mox-host: " << problem << "\n";
    if (status == kPluginFault) std::cerr << "mox-host: the plugin misbehaved: " << firstFault << "\n";
    return status;
}

int Describe(const std::string& plugin) {
    Zarn::Host::PluginHost host;
    const Zarn::Host::HostResult loaded = host.Load(plugin);
    if (loaded.Failed() || host.Api() == nullptr) {
        std::cerr << "mox-host: " << plugin << ": "
                  << (loaded.Failed() ? loaded.Message() : "no API description") << "\n";
        return kPluginFault;
    }
    BindingProperty description = DescribeApi(*host.Api());
    description.WriteField("name").SetString(host.PluginName());
    std::cout << Zarn::Encodings::WriteJson(description, nullptr, "\n") << "\n";
    return kScenarioPassed;
}

int Main(int argc, char** argv) {
    CLI::App app{"Plays scenarios through a plugin library against simulated client peers.", "mox-host"};
    app.require_subcommand(1);
    std::string plugin = DefaultPlugin();
    std::string scenario;
    bool jsonl = false;
    std::string transcript;

    CLI::App* run = app.add_subcommand("run", "Play a scenario (default: the built-in ranked victory)");
    run->add_option("SCENARIO", scenario, "Scenario file, YAML or JSON");
    run->add_option("--plugin", plugin, "Plugin library")->capture_default_str();
    run->add_flag("--jsonl", jsonl, "Print the transcript, one JSON object a line, instead of the account");
    run->add_option("--transcript", transcript, "Also write the transcript to this file");

    ServeOptions serving;
    CLI::App* serve = app.add_subcommand("serve", "Keep the plugin running behind a local HTTP API");
    serve->add_option("SCENARIO", scenario, "Scenario played first (default: the built-in one's peers)");
    serve->add_option("--plugin", plugin, "Plugin library")->capture_default_str();
    serve->add_option("--port", serving.port, "TCP port; 0 lets the system pick one")
        ->check(CLI::Range(0, 65535))
        ->capture_default_str();
    serve->add_option("--lockfile", serving.lockfilePath, "Where the port and the secret are written")
        ->capture_default_str();
    serve->add_option("--listen", serving.listen, "Address to listen on (anything but loopback warns)")
        ->capture_default_str();

    CLI::App* describe = app.add_subcommand("describe", "Print the plugin's API description as JSON");
    describe->add_option("--plugin", plugin, "Plugin library")->capture_default_str();

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int status = app.exit(error);
        return status == 0 ? 0 : kScenarioUnusable;
    }
    if (access(plugin.c_str(), R_OK) != 0) {
        std::cerr << "mox-host: no plugin library at " << plugin << "\n";
        return kScenarioUnusable;
    }
    if (*describe) return Describe(plugin);
    if (*serve) {
        serving.scenarioPath = scenario;
        serving.pluginPath = plugin;
        serving.watch = CatchCrashes;
        const int status = Serve(serving);
        playing = nullptr;
        return status;
    }
    return Run(scenario, plugin, jsonl, transcript);
}

}  // namespace

int main(int argc, char** argv) {
    std::setlocale(LC_CTYPE, "C.UTF-8");
    try {
        return Main(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "mox-host: " << error.what() << "\n";
    } catch (...) {
        std::cerr << "mox-host: unexpected failure\n";
    }
    return kPluginFault;
}
