#include "logging/log_line.h"

#include <cinttypes>
#include <cstdio>

#include "logging/logger.h"
#include "platform/process.h"

namespace Zarn::Logging {

namespace {

// Appends to a line buffer, never letting the content grow past the last byte before the terminator.
class LineWriter {
public:
    explicit LineWriter(char (&buffer)[kLineBufferSize]) : buffer_(buffer) {}

    bool Full() const { return kLineBufferSize - length_ < 2; }

    void Append(std::string_view text) {
        if (Full()) return;
        std::size_t room = kLineBufferSize - 1 - length_;
        std::size_t count = text.size() < room ? text.size() : room;
        length_ += text.copy(buffer_ + length_, count);
    }

    void Append(char character) { Append(std::string_view(&character, 1)); }

    std::size_t Finish() {
        if (length_ == 0 || buffer_[length_ - 1] != '\n') {
            if (length_ < kLineBufferSize - 1) ++length_;
            buffer_[length_ - 1] = '\n';
        }
        buffer_[length_] = '\0';
        return length_;
    }

private:
    char* buffer_;
    std::size_t length_ = 0;
};

void AppendLevel(LineWriter& out, std::int32_t level) {
    std::string_view name = LevelName(level);
    if (!name.empty()) {
        out.Append(name);
        return;
    }
    char number[16];
    int length = std::snprintf(number, sizeof number, "%6" PRId32, level);
    out.Append(std::string_view(number, static_cast<std::size_t>(length)));
}

void AppendElapsed(LineWriter& out) {
    std::int64_t milliseconds = Logger::Instance().ElapsedMilliseconds();
    char text[48];
    int length = std::snprintf(text, sizeof text, "%06d.%03d", static_cast<int>(milliseconds / 1000),
                               static_cast<int>(milliseconds % 1000));
    out.Append(std::string_view(text, static_cast<std::size_t>(length)));
}

void AppendThreadId(LineWriter& out) {
    char text[32];
    int length = std::snprintf(text, sizeof text, "%p", reinterpret_cast<void*>(Platform::CurrentThreadId()));
    out.Append(std::string_view(text, static_cast<std::size_t>(length)));
}

}  // namespace

std::size_t FormatLogLine(std::string_view format, const LogRecord& record, char (&buffer)[kLineBufferSize]) {
    LineWriter out(buffer);
    for (std::size_t i = 0; i < format.size() && !out.Full(); ++i) {
        if (format[i] != '#') {
            out.Append(format[i]);
            continue;
        }
        if (++i == format.size()) break;
        switch (format[i]) {
            case 'D':
                out.Append(FormatLogTime(record.time));
                break;
            case 'E':
                out.Append(Logger::Instance().ProgramName());
                break;
            case 'G':
                out.Append(Logger::Instance().GroupNames(record.groups));
                break;
            case 'H':
                AppendElapsed(out);
                break;
            case 'L':
                AppendLevel(out, record.level);
                break;
            case 'M':
                out.Append(record.message);
                break;
            case 'T':
                AppendThreadId(out);
                break;
            default:
                out.Append(format[i]);
                break;
        }
    }
    return out.Finish();
}

std::string FormatLogTime(const Platform::LocalTime& time) {
    char text[80];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", time.year, time.month,
                               time.day, time.hour, time.minute, time.second, time.millisecond);
    return std::string(text, static_cast<std::size_t>(length));
}

std::string FormatFileNameTime(const Platform::LocalTime& time) {
    char text[80];
    int length = std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d-%02d-%02d", time.year, time.month,
                               time.day, time.hour, time.minute, time.second);
    return std::string(text, static_cast<std::size_t>(length));
}

}  // namespace Zarn::Logging
