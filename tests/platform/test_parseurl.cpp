#include "platform/ParseUrl.h"

#include <gtest/gtest.h>

TEST(ParseUrl, SplitsFullAddresses) {
    auto p = ParseUrl("http://www.youtube.com/watch?v=abc&gl=US");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->scheme, "http");
    EXPECT_EQ(p->server, "www.youtube.com");
    EXPECT_EQ(p->object, "/watch?v=abc&gl=US");
    EXPECT_EQ(p->port, 80);

    auto s = ParseUrl("https://secure.example:8443");
    ASSERT_TRUE(s);
    EXPECT_EQ(s->object, "/");
    EXPECT_EQ(s->port, 8443);
    EXPECT_EQ(ParseUrl("https://a.example/x")->port, 443);

    // A decoded address with spaces still splits; the space goes out encoded.
    auto spaced = ParseUrl("http://v.example/ItemFiles/[From www.example] 12.flv");
    ASSERT_TRUE(spaced);
    EXPECT_EQ(spaced->object, "/ItemFiles/[From%20www.example]%2012.flv");
}

TEST(ParseUrl, RejectsWhatIsNotAFullAddress) {
    EXPECT_FALSE(ParseUrl("/watch?v=abc"));
    EXPECT_FALSE(ParseUrl("www.youtube.com/watch"));
    EXPECT_FALSE(ParseUrl(""));
    EXPECT_FALSE(ParseUrl("http://"));
    EXPECT_FALSE(ParseUrl("http://bad host/"));
}
