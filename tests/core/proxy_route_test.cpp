// Which proxy of Windows' settings a URL takes, and the plain request in a proxy's form.
#include "core/proxy_route.h"

#include <gtest/gtest.h>

namespace {

TEST(ChooseProxy, FollowsTheSchemeAndTheBypassList) {
    struct Case {
        const char *List, *Bypass, *Scheme, *Host, *Expected;  // Expected "" for direct
    };
    const Case cases[] = {
        {"proxy:8080", "", "https", "www.a.com", "proxy:8080"},
        {"http://proxy", "", "http", "www.a.com", "proxy:80"},
        {"http=web:3128;https=secure:8443", "", "https", "a.com", "secure:8443"},
        {"http=web:3128 https=secure:8443", "", "HTTP", "a.com", "web:3128"},
        {"any:1;https=secure:2", "", "https", "a.com", "secure:2"},
        {"ftp=files:21", "", "https", "a.com", ""},  // only another scheme's: direct
        {"proxy:8080", "<local>", "https", "intranet", ""},
        {"proxy:8080", "<local>", "https", "www.a.com", "proxy:8080"},
        {"proxy:8080", "*.a.COM; 10.*", "https", "www.a.com", ""},
        {"proxy:8080", "*.a.com", "https", "www.b.com", "proxy:8080"},
        {"proxy:8080", "http://www.a.com:80", "http", "www.a.com", ""},
        {"proxy:99999;backup:8", "", "http", "a.com", "backup:8"},  // the first usable entry
    };
    for (const Case& test : cases) {
        const ProxyEndpoint proxy = ChooseProxy(test.List, test.Bypass, test.Scheme, test.Host);
        EXPECT_EQ(proxy.Direct() ? "" : proxy.HostAndPort(), test.Expected)
            << test.List << " / " << test.Bypass << " / " << test.Host;
    }
}

TEST(ProxiedRequest, IsTheSourcesOwnWithAnAbsoluteUrlAndNoCache) {
    EXPECT_EQ(BuildProxiedDateRequest("www.a.com", 80, "a/b"),
              "GET http://www.a.com/a/b HTTP/1.0\r\nHost: www.a.com\r\nConnection: close\r\n"
              "User-Agent: GetHTTP 0.0\r\nPragma: no-cache\r\n\r\n");
    EXPECT_EQ(BuildProxiedDateRequest("h", 8080, "").substr(0, 29),
              "GET http://h:8080/ HTTP/1.0\r\n");
    EXPECT_TRUE(IsProxyFailureAnswer("HTTP/1.1 502 Bad Gateway\r\nDate: x\r\n"));
    EXPECT_TRUE(IsProxyFailureAnswer("HTTP/1.0 407 Proxy Authentication Required\r\n"));
    EXPECT_FALSE(IsProxyFailureAnswer("HTTP/1.1 301 Moved\r\n"));
}

}  // namespace
