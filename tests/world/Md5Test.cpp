#include "editor/world/Md5.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct DigestCase {
    std::string text;
    const char* digest;
};

TEST(Md5, MatchesTheStandardDigests)
{
    const DigestCase cases[] = {
        // The test suite of RFC 1321.
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"1234567890123456789012345678901234567890123456789012345678901234567890123456"
         "7890",
         "57edf4a22be3c955ac49da2e2107b67a"},
        // Padding on both sides of the block boundary.
        {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
        {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
        {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
        {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
        {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
    };
    for (const DigestCase& c : cases) {
        EXPECT_EQ(md5Hex(c.text), c.digest) << c.text.size() << " bytes";
    }
}

TEST(Md5, UpdatesInPiecesGiveTheWholeDigestAndFinalClearsTheState)
{
    const std::string text = std::string(100, 'x') + "<rootnode/>\r\n" + std::string(70, 'y');
    for (size_t split : {size_t(0), size_t(1), size_t(63), size_t(64), size_t(65), size_t(150)}) {
        Md5Context context;
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        md5Update(context, bytes, static_cast<uint32_t>(split));
        md5Update(context, bytes + split, static_cast<uint32_t>(text.size() - split));
        md5Final(context);
        EXPECT_EQ(std::string(context.hexDigest), md5Hex(text)) << "split at " << split;
        EXPECT_EQ(context.state[0], 0u);
        EXPECT_EQ(context.count[0], 0u);
    }
    // Line ends are hashed as read.
    EXPECT_NE(md5Hex("<a/>\r\n"), md5Hex("<a/>\n"));
}

}  // namespace
