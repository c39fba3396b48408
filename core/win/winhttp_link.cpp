// The narrowing's connection through WinHTTP: HEAD requests on the kept-alive HTTPS connection
// that gave the first answer, or on a connection through the proxy after a plain-HTTP answer.
#include "core/win/winhttp_link.h"

NetworkReading WinHttpLink::ExchangeAt(SerialDate sendAtUtc, SerialDate deadlineUtc) {
    return connection_->Exchange(sendAtUtc, deadlineUtc, kWinHttpExchangeLimitMs, stamps_).Reading;
}
