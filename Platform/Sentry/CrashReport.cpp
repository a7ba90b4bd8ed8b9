#include "Platform/Sentry/CrashReport.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace SentryInternal {

namespace {

constexpr int maxFrames = 128;

// Appends into a fixed buffer without allocating: usable in a signal handler.
class FixedText {
public:
    void append(const char* text)
    {
        while (*text && size_ < sizeof data_)
            data_[size_++] = *text++;
    }
    void appendUnsigned(unsigned long long value)
    {
        char digits[24];
        int n = 0;
        do {
            digits[n++] = char('0' + value % 10);
            value /= 10;
        } while (value);
        while (n && size_ < sizeof data_)
            data_[size_++] = digits[--n];
    }
    const char* data() const { return data_; }
    size_t size() const { return size_; }

private:
    char data_[512];
    size_t size_ = 0;
};

bool writeAll(int fd, const char* data, size_t size)
{
    while (size) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

void appendTimestamp(FixedText& text)
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    text.appendUnsigned((unsigned long long)now.tv_sec);
    text.append(".");
    const long millis = now.tv_nsec / 1000000;
    if (millis < 100)
        text.append("0");
    if (millis < 10)
        text.append("0");
    text.appendUnsigned((unsigned long long)millis);
}

// Opens the report, writes the head, the timestamp, the exception part and
// the stack trace. Async-signal-safe.
bool writeReport(int outboxFd, const CrashReportTemplate& report, const char* exception, size_t exceptionSize)
{
    const int saved = errno;
    const int fd = ::openat(outboxFd, report.fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        errno = saved;
        return false;
    }
    FixedText timestamp;
    appendTimestamp(timestamp);
    writeAll(fd, report.head.data(), report.head.size());
    writeAll(fd, timestamp.data(), timestamp.size());
    writeAll(fd, exception, exceptionSize);
    writeAll(fd, report.attachment.data(), report.attachment.size());
    void* frames[maxFrames];
    const int count = backtrace(frames, maxFrames);
    backtrace_symbols_fd(frames, count, fd);
    fsync(fd);
    ::close(fd);
    errno = saved;
    return true;
}

} // namespace

CrashReportTemplate CrashReportTemplate::make(const SentryOptions& options, const std::string& eventId)
{
    const std::string id = jsonEscaped(eventId);
    std::string envelope = "{\"event_id\":\"" + id + "\"";
    if (const std::string project = options.projectId(); !project.empty())
        envelope += ",\"dsn_project_id\":\"" + jsonEscaped(project) + "\"";
    envelope += "}\n";

    CrashReportTemplate report;
    report.fileName = eventId + ".envelope";
    report.head = envelope + "{\"type\":\"event\"}\n"
        + "{\"event_id\":\"" + id + "\",\"platform\":\"native\",\"level\":\"fatal\""
        + ",\"release\":\"" + jsonEscaped(options.releaseName) + "\""
        + ",\"environment\":\"" + jsonEscaped(options.environment) + "\""
        + ",\"timestamp\":";
    report.attachment = "{\"type\":\"attachment\",\"filename\":\"stacktrace.txt\","
                        "\"content_type\":\"text/plain\"}\n";
    return report;
}

std::string jsonEscaped(std::string_view text)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (u < 0x20) {
                out += "\\u00";
                out += hex[u >> 4];
                out += hex[u & 15];
            } else {
                out += c;
            }
        }
    }
    return out;
}

const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGBUS: return "SIGBUS";
    case SIGILL: return "SIGILL";
    case SIGFPE: return "SIGFPE";
    case SIGABRT: return "SIGABRT";
    default: return "SIGNAL";
    }
}

bool writeSignalReport(int outboxFd, const CrashReportTemplate& report, int signal)
{
    FixedText exception;
    exception.append(",\"exception\":{\"values\":[{\"type\":\"");
    exception.append(signalName(signal));
    exception.append("\",\"value\":\"Fatal signal ");
    exception.appendUnsigned((unsigned)signal);
    exception.append("\",\"mechanism\":{\"type\":\"signalhandler\",\"handled\":false,"
                     "\"meta\":{\"signal\":{\"number\":");
    exception.appendUnsigned((unsigned)signal);
    exception.append(",\"name\":\"");
    exception.append(signalName(signal));
    exception.append("\"}}}}]}}\n");
    return writeReport(outboxFd, report, exception.data(), exception.size());
}

bool writeExceptionReport(int outboxFd, const CrashReportTemplate& report,
                          const std::string& type, const std::string& message)
{
    const std::string exception = ",\"exception\":{\"values\":[{\"type\":\"" + jsonEscaped(type)
        + "\",\"value\":\"" + jsonEscaped(message)
        + "\",\"mechanism\":{\"type\":\"terminate\",\"handled\":false}}]}}\n";
    return writeReport(outboxFd, report, exception.data(), exception.size());
}

} // namespace SentryInternal
