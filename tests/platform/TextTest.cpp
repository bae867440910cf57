#include "platform/Colour.h"
#include "platform/Text.h"

#include "support/MissingPeer.h"
#include "support/TempHome.h"

#include <QString>
#include <cstdio>
#include <gtest/gtest.h>

using namespace vsx;

TEST(Text, Cp1254MatchesIconvForEveryByte)
{
    std::string all;
    for (int b = 0x20; b < 256; ++b) all += char(b);
    const std::string ours = cp1254ToUtf8(all);
    FILE* p = ::popen("command -v iconv >/dev/null && printf '' >/dev/null && echo ok", "r");
    char buf[8] = {};
    bool haveIconv = p && std::fgets(buf, sizeof buf, p);
    if (p) ::pclose(p);
    if (!haveIconv) VSX_SKIP_MISSING() << "iconv not installed";
    vsx::test::TempHome home;
    // iconv -c drops the bytes the code page leaves undefined; compare defined bytes only.
    std::string defined;
    for (unsigned char b : all)
        if (!(b == 0x81 || b == 0x8D || b == 0x8E || b == 0x8F || b == 0x90 || b == 0x9D || b == 0x9E)) defined += char(b);
    home.writeFile("in.txt", defined);
    const std::string cmd = "iconv -f CP1254 -t UTF-8 '" + home.path("in.txt") + "'";
    p = ::popen(cmd.c_str(), "r");
    std::string theirs;
    int c;
    while ((c = std::fgetc(p)) != EOF) theirs += char(c);
    ::pclose(p);
    EXPECT_EQ(cp1254ToUtf8(defined), theirs);
    EXPECT_EQ(utf8ToCp1254(ours.substr(0)), [&] {
        std::string back = all;
        for (char& ch : back) {
            unsigned char u = ch;
            if (u == 0x81 || u == 0x8D || u == 0x8E || u == 0x8F || u == 0x90 || u == 0x9D || u == 0x9E) ch = '?';
        }
        return back;
    }());
}

TEST(Text, TurkishLettersRoundTripThroughQString)
{
    const std::string bytes = "\xC7\xE7\xD0\xF0\xDD\xFD\xD6\xF6\xDE\xFE\xDC\xFC";  // Çç Ğğ İı Öö Şş Üü
    const QString text = fromCp1254(bytes);
    EXPECT_EQ(text, QString::fromUtf8("ÇçĞğİıÖöŞşÜü"));
    EXPECT_EQ(toCp1254(text), bytes);
    EXPECT_EQ(toCp1254(QString::fromUtf8("€✓")), "\x80?");
}

TEST(Text, AsciiCaseFoldingIgnoresLocale)
{
    EXPECT_EQ(toUpperAscii("gpsi"), "GPSI");
    EXPECT_TRUE(equalsIgnoreCaseAscii("com3", "COM3"));
    EXPECT_FALSE(equalsIgnoreCaseAscii("\xFD", "I"));
    EXPECT_EQ(trim(" \t x y \r\n"), "x y");
    EXPECT_EQ(toCrLf("a\nb\r\nc"), "a\r\nb\r\nc");
}

TEST(Colour, BgrNumbersMapToQColor)
{
    EXPECT_EQ(toQColor(clRed), QColor(255, 0, 0));
    EXPECT_EQ(toQColor(clAqua), QColor(0, 255, 255));
    EXPECT_EQ(toQColor(0x800000), QColor(0, 0, 128));
    EXPECT_EQ(fromQColor(QColor(0, 255, 255)), 0xFFFF00);
    EXPECT_TRUE(isSystemColor(clBtnFace));
    EXPECT_TRUE(toQColor(clBtnFace).isValid());
}
