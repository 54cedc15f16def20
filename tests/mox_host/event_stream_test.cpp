#include "tools/mox_host/event_stream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

namespace Zarn::MoxHost {
namespace {

using namespace std::chrono_literals;

TEST(EventStreamTest, ReadersTakeEachMessageInOrderFromWhenTheyOpened) {
    EventStream stream;
    stream.Publish("{\"before\":true}");
    auto reader = stream.Open();
    ASSERT_NE(reader, nullptr);
    stream.Publish("{\"n\":1}");
    stream.Publish("{\"n\":2}");
    std::string message;
    ASSERT_EQ(stream.Read(*reader, message, 1s), EventStream::Next::kMessage);
    EXPECT_EQ(message, "id: 2\ndata: {\"n\":1}\n\n");
    ASSERT_EQ(stream.Read(*reader, message, 1s), EventStream::Next::kMessage);
    EXPECT_EQ(message, "id: 3\ndata: {\"n\":2}\n\n");
    EXPECT_EQ(stream.Read(*reader, message, 1ms), EventStream::Next::kIdle);
}

TEST(EventStreamTest, AReaderFallingTooFarBehindIsDroppedNotGrown) {
    EventStream stream;
    auto slow = stream.Open();
    auto keeping = stream.Open();
    std::string message;
    for (std::size_t i = 0; i < EventStream::kBacklog; ++i) {
        stream.Publish("{}");
        ASSERT_EQ(stream.Read(*keeping, message, 1s), EventStream::Next::kMessage);
    }
    stream.Publish("{}");
    EXPECT_EQ(stream.Read(*slow, message, 1s), EventStream::Next::kEnded);
    EXPECT_TRUE(slow->pending.empty());
    EXPECT_EQ(stream.Read(*keeping, message, 1s), EventStream::Next::kMessage);
}

TEST(EventStreamTest, StreamsAreLimitedAndCloseEndsWaitingReaders) {
    EventStream stream;
    std::vector<std::shared_ptr<EventStream::Reader>> readers;
    for (std::size_t i = 0; i < EventStream::kMaxStreams; ++i) readers.push_back(stream.Open());
    EXPECT_EQ(stream.Open(), nullptr);
    stream.Leave(readers.back());
    readers.back() = stream.Open();
    EXPECT_NE(readers.back(), nullptr);

    std::string message;
    std::thread closer([&] {
        std::this_thread::sleep_for(20ms);
        stream.Close();
    });
    EXPECT_EQ(stream.Read(*readers.front(), message, 30s), EventStream::Next::kEnded);
    closer.join();
    EXPECT_EQ(stream.Open(), nullptr);
}

}  // namespace
}  // namespace Zarn::MoxHost
