#include "retrieval/TextUtil.h"

#include <QFile>

#include <gtest/gtest.h>

TEST(DecodeEntities, DecodesOnePassAndDropsUnknownEntities) {
    EXPECT_EQ(DecodeEntities("&amp;lt;"), "&lt;");
    EXPECT_EQ(DecodeEntities("Tom&#39;s &quot;clip&quot; &lt;HD&gt;&nbsp;x"), "Tom's \"clip\" <HD> x");
    EXPECT_EQ(DecodeEntities("a&copy;b"), "ab");
    EXPECT_EQ(DecodeEntities("no entities"), "no entities");
    // A lone ampersand swallows everything up to the next semicolon.
    EXPECT_EQ(DecodeEntities("Rock & Roll; live"), "Rock  live");
    EXPECT_EQ(DecodeEntities("tail & no semicolon"), "tail & no semicolon");
    EXPECT_EQ(DecodeEntities("&#12354;"), QString::fromUtf8("\xE3\x81\x82"));
    EXPECT_EQ(DecodeEntities("&#128512;"), QString::fromUtf8("\xF0\x9F\x98\x80"));
    // A raw NUL ends the text whether or not an entity stands before it.
    EXPECT_EQ(DecodeEntities(QStringLiteral("title\0tail")), "title");
    EXPECT_EQ(DecodeEntities(QStringLiteral("a&amp;b\0tail")), "a&b");
    EXPECT_EQ(DecodeEntities("&#99999999999;x"), QString(QChar(0xFFFD)) + "x");
}

TEST(DecodeEntities, NumericReferencesNeverEndTheText) {
    const QString bad(QChar(0xFFFD));
    const struct {
        const char* text;
        QString decoded;
    } cases[] = {
        {"a&#0;b", "a" + bad + "b"},
        {"a&#x0;b", "a" + bad + "b"},
        {"a&#X00;b", "a" + bad + "b"},
        {"Tom&#x27;s", "Tom's"},
        {"&#X41;&#x3042;", QString::fromUtf8("A\xE3\x81\x82")},
        {"&#x1F600;", QString::fromUtf8("\xF0\x9F\x98\x80")},
        {"&#xD800;x", bad + "x"},
        {"&#x110000;x", bad + "x"},
        {"&#;x", bad + "x"},
        {"&#xzz;x", bad + "x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeEntities(QString::fromLatin1(c.text)), c.decoded) << c.text;
}

TEST(PercentDecode, OnlyWellFormedEscapesAreDecoded) {
    EXPECT_EQ(PercentDecode("a%20b+c%2fd"), QByteArray("a b+c/d"));
    EXPECT_EQ(PercentDecode("100%zz"), QByteArray("100%zz"));
    EXPECT_EQ(PercentDecode("end%4"), QByteArray("end%4"));
    EXPECT_EQ(PercentDecode("end%"), QByteArray("end%"));
    EXPECT_EQ(PercentDecode("%E3%81%82"), QByteArray("\xE3\x81\x82"));
    EXPECT_EQ(PercentDecode("%00x"), QByteArray("\0x", 2));
}

TEST(UnescapeStreamUrl, HandlesAllThreeEscapeKinds) {
    EXPECT_EQ(UnescapeStreamUrl("a\\u0026b"), "a&b");
    EXPECT_EQ(UnescapeStreamUrl("http:\\/\\/host\\/x"), "http://host/x");
    EXPECT_EQ(UnescapeStreamUrl("\\u0026%3D"), "&=");
    EXPECT_EQ(UnescapeStreamUrl("x%2"), "x"); // cut short: the walk ends
    EXPECT_EQ(UnescapeStreamUrl("x\\u00"), "x");
    EXPECT_EQ(UnescapeStreamUrl("a%00b"), "a"); // code 0 ends the result
    EXPECT_EQ(UnescapeStreamUrl("trail\\"), "trail");
}

TEST(DecodeUrlAndMakeAbsolute, FollowTheRules) {
    EXPECT_EQ(DecodeUrl("http://h/a%20b%E3%81%82"), QString::fromUtf8("http://h/a b\xE3\x81\x82"));
    EXPECT_EQ(MakeAbsoluteUrl("http://other/x", "http://base/y"), "http://other/x");
    // Scheme and port of the base are not carried over.
    EXPECT_EQ(MakeAbsoluteUrl("/next?a=1", "https://base.example:8443/y"), "http://base.example/next?a=1");
    EXPECT_EQ(MakeAbsoluteUrl("/next", "not an address"), "/next");
}

TEST(GetQueryValue, FindsValuesOnlyAfterTheStart) {
    EXPECT_EQ(GetQueryValue("http://g/?srcurl=http://y/w&x=1", "srcurl="), QString("http://y/w"));
    EXPECT_EQ(GetQueryValue("http://g/?srcurl=", "srcurl="), QString(""));
    EXPECT_FALSE(GetQueryValue("srcurl=abc", "srcurl="));
    EXPECT_FALSE(GetQueryValue("http://g/?srcurl=&x", "srcurl="));
    EXPECT_FALSE(GetQueryValue("http://g/?x=1", "srcurl="));
}

TEST(SplitText, TrimsAndKeepsEmptyPieces) {
    EXPECT_EQ(SplitText("a, b,,c", ','), QStringList({"a", "b", "", "c"}));
    EXPECT_EQ(SplitText("", ','), QStringList({""}));
}

TEST(FileNames, SanitizeJoinAndCut) {
    QString name = "a:b/c?d\\e*f\"g<h>i|j";
    SanitizeFileName(name, '_');
    EXPECT_EQ(name, "a_b_c_d_e_f_g_h_i_j");
    EXPECT_EQ(JoinPath("/out\\ ", "YouTube"), "/out/YouTube");
    EXPECT_EQ(JoinPath("/out//", "YouTube"), "/out/YouTube");
    const QString japanese = QString::fromUtf8("\xE3\x81\x82\xE3\x81\x84\xE3\x81\x86"); // 9 bytes
    EXPECT_EQ(CutToUtf8Bytes(japanese, 8), japanese.left(2));
    EXPECT_EQ(CutToUtf8Bytes("ab", 5), "ab");
    const QString emoji = QString::fromUtf8("a\xF0\x9F\x98\x80");
    EXPECT_EQ(CutToUtf8Bytes(emoji, 4), "a"); // never half a surrogate pair
}
