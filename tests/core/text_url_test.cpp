// Text splitting and trimming, ASCII case, leading integers, URL splitting and the request text.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "core/date_header.h"
#include "core/text_split.h"
#include "core/url.h"

namespace {

using Fields = std::vector<std::string>;

TEST(SplitText, FieldsAtEveryDelimiter) {
    struct Case {
        const char* Text;
        const char* Delimiter;
        Fields Expected;
    };
    const Case cases[] = {
        {"06 DEC 2026 16:28:27 GMT", " ", {"06", "DEC", "2026", "16:28:27", "GMT"}},
        {"06  DEC", " ", {"06", "", "DEC"}},
        {" a ", " ", {"", "a", ""}},
        {" ", " ", {"", ""}},
        {"no delimiter", ",", {"no delimiter"}},
        {"a\r\nb\r\n", "\r\n", {"a", "b", ""}},
        {"aaa", "aa", {"", "a"}},
        {"a b", "B", {"a b"}},
        {"abc", "", {"abc"}},  // an empty delimiter must not hang the search
    };
    for (const Case& c : cases) {
        Fields fields = {"stale"};
        EXPECT_EQ(static_cast<int>(c.Expected.size()), SplitText(c.Text, c.Delimiter, fields))
            << c.Text;
        EXPECT_EQ(c.Expected, fields) << c.Text;
    }
}

TEST(SplitText, EmptyTextLeavesFieldsAlone) {
    Fields fields = {"kept"};
    EXPECT_EQ(-1, SplitText("", " ", fields));
    EXPECT_EQ(Fields{"kept"}, fields);
}

TEST(TextHelpers, TrimCaseAndLeadingInteger) {
    EXPECT_EQ("a b", TrimSpaces("  a b  "));
    EXPECT_EQ("\ta\t", TrimSpaces("\ta\t"));  // spaces only
    EXPECT_EQ("", TrimSpaces("   "));
    // Bytes outside ASCII, such as UTF-8 or GBK, pass unchanged.
    EXPECT_EQ("06 DEC GMT \xC3\xA9", ToUpperAscii("06 dec gmt \xC3\xA9"));
    EXPECT_EQ("http://www.x.cn/ab\xC3\x89", ToLowerAscii("HTTP://WWW.X.cn/ab\xC3\x89"));

    struct Case {
        const char* Text;
        long Expected;
    };
    constexpr long kMax = std::numeric_limits<long>::max();
    const Case cases[] = {
        {"  42abc", 42}, {"007", 7},        {"abc", 0},
        {"", 0},         {"-5", 0},         {"+5", 0},
        {"\t5", 0},      {"2026:12", 2026}, {"99999999999999999999999", kMax},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.Expected, LeadingInteger(c.Text)) << c.Text;
    }
}

TEST(SplitUrl, SchemesHostsPathsAndPorts) {
    struct Case {
        const char* Url;
        const char* HostIn;
        int PortIn;
        const char* Host;
        const char* Path;
        int Port;
    };
    const Case cases[] = {
        {"https://www.baidu.com/", "", 0, "www.baidu.com", "", 443},
        {"http://www.bing.com/", "", 0, "www.bing.com", "", 80},
        {"http://host/a/b", "", 0, "host", "a/b", 80},
        {"http://host", "", 0, "host", "", 80},
        {"HTTPS://Host.Example/Index.HTML", "", 0, "Host.Example", "Index.HTML", 443},
        {"  http:// host / a b  ", "", 0, "host", "a b", 80},
        {"https://host/x", "", 8080, "host", "x", 443},
        {"http://other/x", "caller", 0, "other", "x", 80},  // a scheme overrides the host
        {"www.example.com/index.html", "", 0, "www.example.com", "index.html", 80},
        {"www.example.com", "", 8080, "www.example.com", "", 8080},
        {"/a/b", "caller", 0, "caller", "a/b", 80},
        {"//a", "caller", 8080, "caller", "/a", 8080},  // only one slash is dropped
        {"https:/host", "", 0, "https:", "host", 80},
        {"", "", 0, "", "", 80},
    };
    for (const Case& c : cases) {
        std::string host = c.HostIn;
        std::string path = "stale";
        int port = c.PortIn;
        SplitUrl(c.Url, host, path, port);
        EXPECT_EQ(c.Host, host) << c.Url;
        EXPECT_EQ(c.Path, path) << c.Url;
        EXPECT_EQ(c.Port, port) << c.Url;
    }
}

TEST(BuildDateRequest, RequestLineAndHeaders) {
    EXPECT_EQ(
        "GET /a/b HTTP/1.0\r\nHost: host\r\nConnection: close\r\n"
        "User-Agent: GetHTTP 0.0\r\n\r\n",
        BuildDateRequest("host", "a/b"));
    EXPECT_EQ(
        "GET / HTTP/1.0\r\nHost: www.qq.com\r\nConnection: close\r\n"
        "User-Agent: GetHTTP 0.0\r\n\r\n",
        BuildDateRequest("www.qq.com", ""));
}

}  // namespace
