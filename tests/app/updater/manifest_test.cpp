#include "app/updater/manifest.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

constexpr std::string_view DIGEST =
    "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08";

std::string manifest(std::string_view version, std::string_view url, std::string_view extra = "") {
    return std::string("{\"version\":\"") + std::string(version) + "\",\"url\":\"" +
           std::string(url) + "\",\"sha256\":\"" + std::string(DIGEST) + "\"" + std::string(extra) +
           "}";
}

TEST(ParseManifestTest, AcceptsWhatFollowsTheRules) {
    struct Case {
        std::string text;
        UpdateInfo info;
    };
    const std::string url = "https://kastrel.example/norvik/Norvik-Setup-0.2.0.exe";
    const Case cases[] = {
        {manifest("0.2.0", url, ",\"size\":1234"), {"0.2.0", url, std::string(DIGEST), 1234}},
        // Other members are ignored; white space of all four kinds may follow the object.
        {manifest("0.2.0", url, ",\"notes\":[1,{}]") + " \t\r\n",
         {"0.2.0", url, std::string(DIGEST), 0}},
        // The largest installer we take; beyond it the manifest is refused.
        {manifest("1", url, ",\"size\":536870912"), {"1", url, std::string(DIGEST), 536870912}},
        // A size that is not a non-negative 64-bit integer is taken as unknown.
        {manifest("0.2", url, ",\"size\":1.5"), {"0.2", url, std::string(DIGEST), 0}},
        {manifest("0.2", url, ",\"size\":-1"), {"0.2", url, std::string(DIGEST), 0}},
        {manifest("0.2", url, ",\"size\":\"1234\""), {"0.2", url, std::string(DIGEST), 0}},
        {manifest("0.2", url, ",\"size\":18446744073709551616"),
         {"0.2", url, std::string(DIGEST), 0}},
        {manifest("0.2", url, ",\"size\":null"), {"0.2", url, std::string(DIGEST), 0}},
        {manifest("12345678901234567890123456789012", url),
         {"12345678901234567890123456789012", url, std::string(DIGEST), 0}},
        {manifest("...", url), {"...", url, std::string(DIGEST), 0}},
        // A query and an escaped slash in the address are fine.
        {manifest("0.2", "https:\\/\\/a.example\\/x?y=1&z=%20"),
         {"0.2", "https://a.example/x?y=1&z=%20", std::string(DIGEST), 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_manifest(c.text), c.info) << c.text;
}

TEST(ParseManifestTest, DigestIsLowered) {
    const std::string text =
        R"({"version":"0.2","url":"https://a.example/s.exe","sha256":"ABCdef0123XYZ"})";
    std::optional<UpdateInfo> info = parse_manifest(text);
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->sha256, "abcdef0123xyz");  // lowered, not checked: a wrong one fails later
}

TEST(ParseManifestTest, RefusesWhatBreaksARule) {
    const std::string url = "https://a.example/s.exe";
    const std::string cases[] = {
        "",
        "[]",
        "\"text\"",
        "{",
        manifest("0.2", url) + "x",
        manifest("0.2", url) + " {}",
        manifest("0.2", url) + std::string(1, '\0') + "trailing",
        manifest("0.2", url) + "\f",  // form feed is not JSON white space
        R"({"url":"https://a.example/s.exe","sha256":"00"})",
        R"({"version":"0.2","sha256":"00"})",
        R"({"version":"0.2","url":"https://a.example/s.exe"})",
        R"({"version":2,"url":"https://a.example/s.exe","sha256":"00"})",
        R"({"version":"0.2","url":"https://a.example/s.exe","sha256":null})",
        manifest("", url),
        manifest("123456789012345678901234567890123", url),
        manifest("v0.2", url),
        manifest("0.2-beta", url),
        manifest(" 0.2", url),
        manifest("0.2", "http://a.example/s.exe"),
        manifest("0.2", "HTTPS://a.example/s.exe"),
        manifest("0.2", "ftp://a.example/s.exe"),
        // Addresses that could become more than one argument of curl's command line.
        manifest("0.2", "https://a.example/s.exe -o C:\\\\evil.exe"),
        manifest("0.2", "https://a.example/s.exe\\\" --output x"),
        manifest("0.2", "https://a.example/s.exe\\t-K"),
        manifest("0.2", "https://a.example/s.exe\\n"),
        manifest("0.2", "https://a.example/s.exe\\u0000"),
        manifest("0.2", "https://a.example/s.exe\\u007f"),
        manifest("0.2", "https://a.example/보고서.exe"),
        manifest("0.2", "https://a.example/s.exe\\u00a0"),
        // A size above our limit: the server does not get to raise it.
        manifest("0.2", url, ",\"size\":536870913"),
        manifest("0.2", url, ",\"size\":18446744073709551615"),
    };
    for (const std::string& text : cases)
        EXPECT_EQ(parse_manifest(text), std::nullopt) << text;
}

TEST(JudgeManifestTest, VerdictForTheRunningVersion) {
    const std::string url = "https://a.example/s.exe";
    const UpdateInfo newer{"0.1.0.1", url, std::string(DIGEST), 0};
    const UpdateFailed unusable{
        "The update server sent an answer Norvik cannot use. Try again later."};
    struct Case {
        std::string bytes;
        UpdateVerdict verdict;
    };
    const Case cases[] = {
        {manifest("0.1.0.1", url), newer},
        {manifest("0.1.0", url), UpToDate{}},
        {manifest("0.01.0", url), UpToDate{}},
        {manifest("0.0.9", url), UpToDate{}},
        {manifest("0.2-beta", url), unusable},
        {"not json", unusable},
        {"{\"version\":\"0.2\xff\"}", unusable},
        {"{\"x\":\"\xed\xa0\x80\"}", unusable},
        {"{\"x\":\"\xc0\xaf\"}", unusable},
        {"{\"x\":\"\xe2\x82\"}", unusable},
        // A replacement character written out is valid text.
        {"{\"x\":\"\xef\xbf\xbd\"}", unusable},
    };
    for (const Case& c : cases)
        EXPECT_EQ(judge_manifest(c.bytes, "0.1.0"), c.verdict) << c.bytes;
}

TEST(ManifestRequestUrlTest, AppendsVersionAndLanguageUnescaped) {
    EXPECT_EQ(
        manifest_request_url("https://kastrel.example/norvik/update.json", "0.1.0", "zh-Hans"),
        "https://kastrel.example/norvik/update.json?v=0.1.0&lang=zh-Hans");
}

}  // namespace
}  // namespace norvik
