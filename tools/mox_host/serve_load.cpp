// mox-host-load: a bounded load on a running `mox-host serve`, on loopback only. It reads the
// server's lockfile, sends a warm-up, reads the plugin's allocation counters, sends the requests
// from several concurrent keep-alive clients, reads the counters again and prints the figures.
// Exit status: 0 every request answered 200 and the plugin holds no more memory than before;
// 1 otherwise; 2 bad usage or no server.
#include <httplib.h>

#include <CLI/CLI.hpp>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "encodings/json_reader.h"
#include "tools/mox_host/http_fetch.h"

namespace {

struct Counters {
    std::uint64_t bytesInUse = 0;
    std::uint64_t liveAllocations = 0;
};

std::map<std::string, std::string> ReadLockfile(const std::string& path) {
    std::map<std::string, std::string> fields;
    std::ifstream file(path);
    for (std::string line; std::getline(file, line);) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

bool ReadCounters(httplib::Client& client, Counters& counters) {
    const httplib::Result result = client.Get("/host/v1/memory");
    if (!result || result->status != 200) return false;
    const Zarn::Binding::BindingResult value = Zarn::Encodings::ReadJson(result->body);
    if (value.Failed()) return false;
    counters.bytesInUse = value.Value().Field("bytesInUse").AsUnsigned();
    counters.liveAllocations = value.Value().Field("liveAllocations").AsUnsigned();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"Sends a bounded load to a running mox-host serve and checks the plugin's memory.",
                 "mox-host-load"};
    std::string lockfile = "mox-host.lock";
    std::size_t requests = 20000;
    std::size_t clients = 8;
    std::size_t warmup = 200;
    std::string path = "/mox-end-of-game/v1/eog-stats-block";
    app.add_option("--lockfile", lockfile, "The server's lockfile")->capture_default_str();
    app.add_option("--requests", requests, "Requests in all")->capture_default_str();
    app.add_option("--clients", clients, "Concurrent clients")
        ->check(CLI::Range(1, 64))
        ->capture_default_str();
    app.add_option("--warmup", warmup, "Requests sent before the counters are read")->capture_default_str();
    app.add_option("--path", path, "What each request GETs")->capture_default_str();
    CLI11_PARSE(app, argc, argv);

    std::map<std::string, std::string> lock = ReadLockfile(lockfile);
    const std::string url = lock["url"];
    const std::size_t scheme = url.find("//");
    const std::size_t colon = url.rfind(':');
    if (scheme == std::string::npos || colon == std::string::npos || lock["secret"].empty()) {
        std::cerr << "mox-host-load: no server in " << lockfile << "\n";
        return 2;
    }
    std::string host = url.substr(scheme + 2, colon - scheme - 2);
    if (host.size() > 2 && host.front() == '[') host = host.substr(1, host.size() - 2);
    if (!Zarn::MoxHost::IsLoopbackAddress(host)) {
        std::cerr << "mox-host-load: loads loopback servers only, not " << host << "\n";
        return 2;
    }
    const int port = std::atoi(lock["port"].c_str());
    const std::string secret = lock["secret"];
    auto connect = [&] {
        auto client = std::make_unique<httplib::Client>(host, port);
        client->set_bearer_token_auth(secret.c_str());
        client->set_keep_alive(true);
        client->set_tcp_nodelay(true);
        client->set_read_timeout(std::chrono::seconds(30));
        return client;
    };

    std::unique_ptr<httplib::Client> control = connect();
    for (std::size_t i = 0; i < warmup; ++i) control->Get(path.c_str());
    Counters before;
    if (!ReadCounters(*control, before)) {
        std::cerr << "mox-host-load: cannot read the plugin's counters\n";
        return 2;
    }

    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> failed{0};
    std::atomic<std::uint64_t> bytes{0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (std::size_t c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            std::unique_ptr<httplib::Client> client = connect();
            while (next.fetch_add(1) < requests) {
                const httplib::Result result = client->Get(path.c_str());
                if (!result || result->status != 200) {
                    ++failed;
                    continue;
                }
                bytes += result->body.size();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    Counters after;
    if (!ReadCounters(*control, after)) {
        std::cerr << "mox-host-load: cannot read the plugin's counters\n";
        return 2;
    }
    std::printf(
        "GET %s: %zu requests from %zu clients in %.2f s, %.0f requests/s, %zu failed, %.1f MB answered\n",
        path.c_str(), requests, clients, seconds, static_cast<double>(requests) / seconds, failed.load(),
        static_cast<double>(bytes.load()) / 1e6);
    std::printf(
        "plugin memory in use: %llu bytes in %llu allocations before, %llu bytes in %llu allocations after\n",
        static_cast<unsigned long long>(before.bytesInUse),
        static_cast<unsigned long long>(before.liveAllocations),
        static_cast<unsigned long long>(after.bytesInUse),
        static_cast<unsigned long long>(after.liveAllocations));
    const bool grew = after.bytesInUse > before.bytesInUse || after.liveAllocations > before.liveAllocations;
    if (grew) std::printf("the plugin's memory grew\n");
    return failed.load() == 0 && !grew ? 0 : 1;
}
