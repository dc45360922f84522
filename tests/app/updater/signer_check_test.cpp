#include "app/updater/signer_check.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

using namespace std::string_literals;

const std::string LEAF(64, 'a');
const std::string OTHER(64, 'b');

TEST(JudgeSignerTest, AcceptsOnlyATrustedUnrevokedSignatureByThePublisher) {
    const std::string not_ours = "The update was refused: not signed by Kastrel Ltd";
    const std::string unverified = "The installer's digital signature could not be verified";
    const std::string offline =
        "The update was refused: the signing certificate could not be checked for revocation. "
        "Connect to the internet and try again.";
    struct Case {
        const char* name;
        SignerFacts facts;
        std::string pins;
        std::optional<std::string> failure;
    };
    const Case cases[] = {
        {"trusted, right name", {0, "Kastrel Ltd", LEAF}, "", std::nullopt},
        {"pinned leaf", {0, "Kastrel Ltd", LEAF}, OTHER + ";" + LEAF, std::nullopt},
        {"pinned in upper case", {0, "Kastrel Ltd", LEAF}, std::string(64, 'A'), std::nullopt},
        {"leaf not pinned", {0, "Kastrel Ltd", LEAF}, OTHER, not_ours},
        {"pin list the build got wrong", {0, "Kastrel Ltd", LEAF}, LEAF + ";xyz", not_ours},
        {"other letter case", {0, "kastrel ltd", LEAF}, "", not_ours},
        {"name cut at an embedded NUL would match",
         {0, std::string("Kastrel Ltd\0Evil", 16), LEAF},
         "",
         not_ours},
        {"longer name", {0, "Kastrel Ltd.", LEAF}, "", not_ours},
        {"no name", {0, std::nullopt, LEAF}, "", not_ours},
        {"unsigned", {0x800B0100, "Kastrel Ltd", LEAF}, "", unverified},
        {"changed after signing", {0x80096010, "Kastrel Ltd", LEAF}, "", unverified},
        {"untrusted root", {0x800B0109, "Kastrel Ltd", LEAF}, "", unverified},
        {"revoked",
         {TRUST_CERT_REVOKED, "Kastrel Ltd", LEAF},
         "",
         "The update was refused: the signing certificate has been revoked"},
        {"revocation offline", {TRUST_REVOCATION_OFFLINE, "Kastrel Ltd", LEAF}, "", offline},
        {"revocation unknown", {TRUST_REVOCATION_UNCHECKED, "Kastrel Ltd", LEAF}, "", offline},
    };
    for (const Case& c : cases) {
        const std::optional<UpdateFailed> failed = judge_signer(c.facts, {"Kastrel Ltd", c.pins});
        EXPECT_EQ(failed ? std::optional(failed->message) : std::nullopt, c.failure) << c.name;
    }
}

TEST(SignerNameTest, TakesEveryUnitUpToTheLengthReturned) {
    const std::u16string buffer = u"Kastrel\0Evil\0\0\0"s;
    struct Case {
        size_t returned;
        std::optional<std::string> name;
    };
    const Case cases[] = {
        {13, std::string("Kastrel\0Evil", 12)},  // the NUL inside stays, so no match by cutting
        {8, "Kastrel"},
        {1, std::nullopt},   // only the closing NUL: no name
        {0, std::nullopt},   // the call failed
        {99, std::nullopt},  // more than the buffer holds
    };
    for (const Case& c : cases)
        EXPECT_EQ(signer_name(buffer, c.returned), c.name) << c.returned;
    EXPECT_EQ(signer_name(u"\xD800x\0"s, 3), std::nullopt);  // unpaired surrogate
    EXPECT_EQ(signer_name(u"\xD55C\xAE00\0"s, 3), "한글");
}

TEST(ParseThumbprintsTest, ListsOfHexThumbprints) {
    struct Case {
        std::string list;
        std::optional<std::vector<std::string>> thumbprints;
    };
    const std::string upper(64, 'F');
    const Case cases[] = {
        {"", std::vector<std::string>{}},
        {" ;, ", std::vector<std::string>{}},
        {LEAF, std::vector<std::string>{LEAF}},
        {upper + ", " + LEAF + ";", std::vector<std::string>{std::string(64, 'f'), LEAF}},
        {LEAF + "\n" + OTHER, std::vector<std::string>{LEAF, OTHER}},
        {LEAF.substr(1), std::nullopt},
        {LEAF + "0", std::nullopt},
        {std::string(63, 'a') + "g", std::nullopt},
        {"AA:BB", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_thumbprints(c.list), c.thumbprints) << c.list;
}

}  // namespace
}  // namespace norvik
