// Asking the time sources for their Date header, and narrowing the answer down.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/offset_refinement.h"
#include "core/url.h"
#include "core/win/source_link.h"

// Where the sources are reached: the built-in list on the standard ports, or a test's own.
struct SourceEndpoints {
    std::span<const std::string_view> Urls;
    uint16_t HttpPort = kHttpPort;
};

SourceEndpoints BuiltInSources();

// Asks the sources in order over plain HTTP/1.0, each on its own connection with one read, until
// one answers with a usable Date header: a header line that parses to a time that can be true
// (not before this program was built, a network time before the year 10000). The answer carries
// the computer's clock around its exchange and a link back to the address that answered. When
// an answer holds a "Date:" header line, the source's URL and CR LF go to standard output as a
// trace line. First.HeaderUtc is 0 when no source answered.
SourceAnswer AskTimeSources(const SourceEndpoints& sources);
// The same with the built-in sources.
SourceAnswer AskTimeSources();

// Called before every narrowing exchange with the best bounds so far; false ends the narrowing.
using NarrowedCallback = bool (*)(const OffsetBounds& bounds, void* context);

// Narrows the answer's offset on its link (see RefineOffset); nothing else is asked and nothing
// is traced. An answer without a link keeps its own bounds.
RefinedOffset NarrowSourceAnswer(SourceAnswer& answer, NarrowedCallback narrowed = nullptr,
                                 void* context = nullptr);
