// Handlers chosen by method name and path: the host's routing of the plugin's local and external
// requests to the code that embeds it. The first registered entry that matches wins; the default
// handler takes the rest.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Zarn::Host {

// Whether `path` matches `pattern`: equal texts, or a pattern ending in "*" whose text before the
// "*" begins `path`.
bool PathMatches(std::string_view pattern, std::string_view path) noexcept;

template <typename Request, typename Reply>
class HandlerTable {
public:
    using Handler = std::function<Reply(const Request&)>;

    // An empty method matches every method.
    void Add(std::string method, std::string pattern, Handler handler) {
        entries_.push_back({std::move(method), std::move(pattern), std::move(handler)});
    }
    void SetDefault(Handler handler) { default_ = std::move(handler); }

    // Null when neither an entry nor a default handler takes the request.
    const Handler* Find(std::string_view method, std::string_view path) const {
        for (const Entry& entry : entries_) {
            if ((entry.method.empty() || entry.method == method) && PathMatches(entry.pattern, path)) {
                return &entry.handler;
            }
        }
        return default_ ? &default_ : nullptr;
    }

private:
    struct Entry {
        std::string method;
        std::string pattern;
        Handler handler;
    };
    std::vector<Entry> entries_;
    Handler default_;
};

}  // namespace Zarn::Host
