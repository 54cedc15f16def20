#include "tools/mox_host/event_stream.h"

#include <algorithm>

namespace Zarn::MoxHost {

void EventStream::Publish(const std::string& json) {
    {
        std::lock_guard lock(mutex_);
        if (readers_.empty()) {
            ++nextId_;
            return;
        }
        const std::string message = "id: " + std::to_string(nextId_++) + "\ndata: " + json + "\n\n";
        for (const auto& reader : readers_) {
            if (reader->dropped) continue;
            if (reader->pending.size() >= kBacklog) {
                reader->dropped = true;
                reader->pending.clear();
                continue;
            }
            reader->pending.push_back(message);
        }
    }
    wake_.notify_all();
}

std::shared_ptr<EventStream::Reader> EventStream::Open() {
    std::lock_guard lock(mutex_);
    std::erase_if(readers_, [](const auto& reader) { return reader->dropped; });
    if (closed_ || readers_.size() >= kMaxStreams) return nullptr;
    readers_.push_back(std::make_shared<Reader>());
    return readers_.back();
}

EventStream::Next EventStream::Read(Reader& reader, std::string& out,
                                    std::chrono::steady_clock::duration timeout) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, timeout, [&] { return closed_ || reader.dropped || !reader.pending.empty(); });
    if (closed_ || reader.dropped) return Next::kEnded;
    if (reader.pending.empty()) return Next::kIdle;
    out = std::move(reader.pending.front());
    reader.pending.pop_front();
    return Next::kMessage;
}

void EventStream::Leave(const std::shared_ptr<Reader>& reader) {
    std::lock_guard lock(mutex_);
    std::erase(readers_, reader);
}

void EventStream::Close() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
    }
    wake_.notify_all();
}

}  // namespace Zarn::MoxHost
