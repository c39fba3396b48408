// Asking the time sources for their Date header, and narrowing the answer down.
#include "core/win/network_time.h"

#include <windows.h>

#include <string>

#include "core/date_header.h"
#include "core/time_sources.h"
#include "core/win/kept_alive_http.h"
#include "core/win/plain_exchange.h"

namespace {

// Written straight to the handle so that the CR LF goes out as it is (the C runtime's text
// mode would double the CR) and nothing waits in a buffer when the process ends.
void WriteTraceLine(std::string_view url) {
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        return;  // started without a standard output: nowhere to trace to
    }
    std::string line(url);
    line += "\r\n";
    DWORD written = 0;
    WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// One source over plain HTTP: its answer, or none.
bool AskOverPlainHttp(std::string_view url, uint16_t port, SourceAnswer& answer) {
    const PlainExchange exchange = ExchangeOnce(url, port, answer.Stamps);
    if (exchange.Received.empty()) {
        return false;
    }
    if (ScanForDateHeader(exchange.Received).MarkerFound) {
        WriteTraceLine(url);
    }
    // A value that does not parse, or gives a time that cannot be today's, is no answer.
    const SerialDate utc = BelievableHeaderTime(exchange.Received);
    if (!(utc > 0.0)) {
        return false;
    }
    answer.First = {utc, exchange.UtcBeforeSend, exchange.UtcAfterRead, exchange.ConnectDays};
    answer.Url = std::string(url);
    std::string host;
    std::string path;
    int urlPort = 0;
    SplitUrl(url, host, path, urlPort);
    answer.Link = std::make_unique<KeptAliveHttpLink>(host, path, exchange.Peer, answer.Stamps);
    return true;
}

// The narrowing's view of an answer's link.
class AnswerLink final : public NarrowingLink {
public:
    AnswerLink(SourceAnswer& answer, NarrowedCallback narrowed, void* context)
        : answer_(answer), narrowed_(narrowed), context_(context) {}

    SerialDate NowUtc() override { return answer_.Stamps.Now(); }
    NetworkReading ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) override {
        return answer_.Link->ExchangeAt(sendAtUtc, deadlineUtc);
    }
    bool GoOn(const OffsetBounds& bounds) override {
        return narrowed_ == nullptr || narrowed_(bounds, context_);
    }

private:
    SourceAnswer& answer_;
    NarrowedCallback narrowed_;
    void* context_;
};

}  // namespace

SourceEndpoints BuiltInSources() {
    return {kTimeSources, kHttpPort};
}

SourceAnswer AskTimeSources(const SourceEndpoints& sources) {
    SourceAnswer answer;
    for (size_t index = 0; index < sources.Urls.size(); ++index) {
        if (AskOverPlainHttp(sources.Urls[index], sources.HttpPort, answer)) {
            answer.First.SourceIndex = static_cast<int>(index);
            return answer;
        }
    }
    return answer;
}

SourceAnswer AskTimeSources() {
    return AskTimeSources(BuiltInSources());
}

RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed, void* context) {
    if (!(answer.First.HeaderUtc > 0.0) || !answer.Link) {
        return {BoundsOfAnswer(answer.First), 1, NarrowingEnd::NotNarrowed};
    }
    AnswerLink link(answer, narrowed, context);
    return RefineOffset(answer.First, answer.Link->CarriesFirstAnswer(), link);
}
