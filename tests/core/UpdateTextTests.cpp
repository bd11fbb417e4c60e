#include "core/UpdateText.h"

#include <gtest/gtest.h>

TEST(UpdateText, ServerAddresses)
{
    UpdateServerBase base;
    ASSERT_TRUE(ParseUpdateServerUrl(L"http://127.0.0.1:8081", base));
    EXPECT_EQ(base.host, L"127.0.0.1");
    EXPECT_EQ(base.port, 8081);
    EXPECT_EQ(ServedFilePath(base, kServedVersionFile), L"/it-velmora-latest-version/velmora_version.txt");
    ASSERT_TRUE(ParseUpdateServerUrl(L"http://updates.example/a/b//", base));
    EXPECT_EQ(base.port, 80);
    EXPECT_EQ(ServedFilePath(base, L"x"), L"/a/b/x");
    for (const wchar_t* bad : {L"", L"https://host", L"ftp://host", L"http://", L"http://:80", L"http://host:",
                               L"http://host:0", L"http://host:65536", L"http://host:8o", L"http://u@host"})
        EXPECT_FALSE(ParseUpdateServerUrl(bad, base)) << std::wstring(bad).size();
}

TEST(UpdateText, VersionsAndSizes)
{
    struct Case {
        const wchar_t* served;
        const wchar_t* own;
        const wchar_t* highest;
        bool isNew;
    };
    const Case cases[] = {
        {L"3.0.7", L"3.0.6", L"", true},
        {L"3.0.10", L"3.0.9", L"", true},
        {L"3.0.9", L"3.0.10", L"", false},
        {L"3.0.6", L"3.0.6", L"", false},
        {L"3.0.6.0", L"3.0.6", L"", false},
        {L"3.0.5", L"3.0.6", L"", false},
        {L"4", L"3.99.99.99", L"", true},
        {L"3.0.7", L"3.0.6", L"3.0.7", false},
        {L"3.0.8", L"3.0.6", L"3.0.7", true},
        {L"3.0.7", L"3.0.6", L"garbage", false},
        {L"3.0.7", L"<no version info found>", L"", false},
        {L"3.0.7\r\n", L"3.0.6", L"", false},
        {L"v3.0.7", L"3.0.6", L"", false},
        {L"", L"3.0.6", L"", false},
        {L"3..7", L"3.0.6", L"", false},
        {L"3.0.7.", L"3.0.6", L"", false},
        {L".3", L"3.0.6", L"", false},
        {L"3.0.7.1.2", L"3.0.6", L"", false},
        {L"3.0.1234567890", L"3.0.6", L"", false},
        {L"3.0.-7", L"3.0.6", L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsNewVersion(c.served, c.own, c.highest), c.isNew) << std::wstring(c.served) << L" " << c.own;
    EXPECT_EQ(CompareVersions(L"3.0", L"3.0.0"), 0);
    EXPECT_LT(CompareVersions(L"3.0.999999999", L"3.1"), 0);

    EXPECT_EQ(WidenServedText(std::string("3.0.7\0junk", 10)), L"3.0.7");
    EXPECT_EQ(WidenServedText(std::string(5000, '1')).size(), 1024u);
    EXPECT_EQ(WidenServedText("\xE9"), std::wstring(1, static_cast<wchar_t>(0xE9)));

    std::uint64_t size = 7;
    ASSERT_TRUE(ParseServedSize(L" 1536000\r\n", size));
    EXPECT_EQ(size, 1536000u);
    for (const wchar_t* bad : {L"", L"0", L"-5", L"abc", L"2147483649", L"99999999999999999999999"}) {
        EXPECT_FALSE(ParseServedSize(bad, size));
        EXPECT_EQ(size, 1536000u);
    }
}

TEST(UpdateText, DownloadFigures)
{
    EXPECT_EQ(KilobytesText(1536000), L"1500 KB");
    const DownloadFigures after4s = FiguresAfter(300 * 1024, 4000);
    EXPECT_EQ(after4s.downloaded, L"300 KB");
    EXPECT_EQ(after4s.speed, L"75.0 KB al sec");
    EXPECT_EQ(after4s.elapsed, L"0 minuti 4 secondi");
    // Under a whole second there is no speed yet, even where the seconds round up to 1.
    EXPECT_EQ(FiguresAfter(300 * 1024, 999).speed, kSpeedStarting);
    EXPECT_EQ(FiguresAfter(0, 0).elapsed, L"0 minuti 0 secondi");
    EXPECT_EQ(FiguresAfter(1000 * 1024, 125400).elapsed, L"2 minuti 5 secondi");
    EXPECT_EQ(FiguresAfter(1000 * 1024, 125400).speed, L"8.0 KB al sec");
    EXPECT_EQ(FiguresAfter(10 * 1024, 3000).speed, L"3.3 KB al sec");
}
