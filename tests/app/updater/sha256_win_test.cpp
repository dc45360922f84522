#include "app/updater/win/sha256_win.h"

#include <gtest/gtest.h>

namespace norvik {
namespace {

std::span<const uint8_t> bytes_of(std::string_view text) {
    return std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(Sha256Test, StandardVectors) {
    struct Case {
        std::string text;
        const char* digest;
    };
    const Case cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sha256_hex(bytes_of(c.text)), c.digest) << c.text.substr(0, 10);
}

// An installer is digested a piece at a time as it is read: the pieces' sizes must not matter.
TEST(Sha256Test, PiecesGiveTheSameDigestAsOnePass) {
    std::string text;
    for (int i = 0; i < 100'000; ++i)
        text += static_cast<char>(i * 7);
    Sha256 hash;
    size_t at = 0;
    for (size_t piece = 1; at < text.size(); piece = piece * 3 + 1) {
        const size_t take = std::min(piece, text.size() - at);
        ASSERT_TRUE(hash.update(bytes_of(std::string_view(text).substr(at, take))));
        at += take;
    }
    EXPECT_EQ(hash.finish_hex(), sha256_hex(bytes_of(text)));
}

}  // namespace
}  // namespace norvik
