// The fan-out behind `GET /host/v1/events`: the loop thread publishes each event the plugin sends
// as one Server-Sent Events message, and every open stream (an HTTP thread each) takes the
// messages in order. A stream that falls more than kBacklog messages behind is dropped rather
// than let grow (its client reconnects and reads the state afresh); at most kMaxStreams are open.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Zarn::MoxHost {

class EventStream {
public:
    static constexpr std::size_t kBacklog = 4096;
    static constexpr std::size_t kMaxStreams = 8;

    struct Reader;
    enum class Next { kMessage, kIdle, kEnded };

    // Loop thread: one message, given as the SSE "data" line's JSON (a single line).
    void Publish(const std::string& json);
    // HTTP thread: a new reader from the next message on; null when closed or kMaxStreams are open.
    std::shared_ptr<Reader> Open();
    // Waits up to `timeout` for the reader's next message, written to `out` as an SSE message
    // with its id. kEnded once closed, or when the reader was dropped.
    Next Read(Reader& reader, std::string& out, std::chrono::steady_clock::duration timeout);
    void Leave(const std::shared_ptr<Reader>& reader);
    // Any thread: every reader ends; none opens any more.
    void Close();

    struct Reader {
        std::deque<std::string> pending;
        bool dropped = false;
    };

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<std::shared_ptr<Reader>> readers_;
    std::uint64_t nextId_ = 1;
    bool closed_ = false;
};

}  // namespace Zarn::MoxHost
