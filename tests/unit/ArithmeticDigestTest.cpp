// The arithmetic gives the same results, to the last bit, in every build: native, the 32-bit
// Linux build under emulation, and both Windows builds. Fixed expected values would miss a
// last-bit difference in cases nobody thought of, so a seeded stream of random cases runs
// through the parse, the double-to-Money rounding, the product, the quotient and the display
// texts. The cases are digested in blocks of a thousand, each compared with its constant, so
// that a difference names the cases where it begins.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "Money.h"
#include "TextHelpers.h"
#include "toolkit/NumberFormat.h"

namespace {

// splitmix64: the same stream on every platform, unlike the standard distributions.
class Stream {
public:
    explicit Stream(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    std::uint64_t Below(std::uint64_t n) { return Next() % n; }

private:
    std::uint64_t state_;
};

// FNV-1a over everything the cases produce.
class Digest {
public:
    void Add(std::string_view text) {
        for (unsigned char c : text) hash_ = (hash_ ^ c) * 0x100000001B3ULL;
        hash_ = (hash_ ^ 0xFF) * 0x100000001B3ULL;  // keeps "ab","c" apart from "a","bc"
    }
    void Add(std::uint64_t value) { Add(std::to_string(value)); }
    void Add(double value) {
        std::uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        Add(bits);
    }
    void Add(const Checked<Money>& m) {
        Add(static_cast<std::uint64_t>(m.status));
        Add(static_cast<std::uint64_t>(m.value.Raw()));
    }
    std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = 0xCBF29CE484222325ULL;
};

// A number text as a server, the store or the clipboard might hold one.
std::string RandomNumberText(Stream& s) {
    std::string text;
    if (s.Below(4) == 0) text += s.Below(2) ? "-" : "+";
    const std::uint64_t whole = s.Below(17);
    for (std::uint64_t i = 0; i < whole; ++i) text += static_cast<char>('0' + s.Below(10));
    if (s.Below(3) != 0) {
        text += '.';
        const std::uint64_t decimals = 1 + s.Below(8);
        for (std::uint64_t i = 0; i < decimals; ++i) text += static_cast<char>('0' + s.Below(10));
    }
    if (s.Below(10) == 0) {
        text += 'e';
        text.append(std::to_string(static_cast<int>(s.Below(30)) - 15));
    }
    return text;
}

// A raw count of any magnitude, from a few ten-thousandths to the whole range.
Money RandomMoney(Stream& s) {
    const auto raw = static_cast<std::int64_t>(s.Next() >> (1 + s.Below(63)));
    return Money::FromRaw(s.Below(2) ? -raw : raw);
}

constexpr int kCasesPerBlock = 1000;

// The digests of `blocks` consecutive blocks of kCasesPerBlock cases of one stream.
std::vector<std::uint64_t> DigestsOfRandomCases(std::size_t blocks) {
    Stream s(20261208);
    const tk::Separators sep{.decimal = ",", .thousands = "."};
    std::vector<std::uint64_t> digests;
    for (std::size_t block = 0; block < blocks; ++block) {
        Digest d;
        for (int i = 0; i < kCasesPerBlock; ++i) {
            const std::string text = RandomNumberText(s);
            const double parsed = ParseLeadingNumber(text);
            d.Add(parsed);
            d.Add(MoneyFromDouble(parsed));
            d.Add(MoneyFromDouble(parsed / 10000.0));

            const Money a = RandomMoney(s), b = RandomMoney(s);
            const Checked<Money> product = Mul(a, b);
            const Checked<Money> quotient = Div(a, b);
            d.Add(product);
            d.Add(quotient);
            d.Add(tk::FormatGrouped2(product.value.Raw(), sep));
            d.Add(tk::FormatPlain(quotient.value.Raw(), sep));
            d.Add(tk::FormatGroupedFixed(a.Raw(), static_cast<int>(s.Below(5)), sep));
        }
        digests.push_back(d.Value());
    }
    return digests;
}

// Block k digests cases k * 1,000 to k * 1,000 + 999.
constexpr std::uint64_t kExpectedBlocks[] = {
    0x5B4DB817E5F12145ULL, 0xC5E0B08EA628AE3EULL, 0xFBD9A1A80F10390BULL, 0xB64C0054EBC44CC7ULL,
    0x16A4532097753E80ULL, 0x1ECC15039314F184ULL, 0xA47E36E5EF156FBCULL, 0x9E4700857097CF37ULL,
    0x57A489A7F7388997ULL, 0x53AE982B5712ACDBULL, 0xCAC974795A59B822ULL, 0x246F374CC621864BULL,
    0xF623F9B4AC13BD08ULL, 0x3C26144C2B1E2F35ULL, 0x2998B6C30B899D32ULL, 0x960216763753838CULL,
    0xCA9DFA4207B532F1ULL, 0x7CAEE89AC0DBD285ULL, 0x38C202786196F361ULL, 0x447B19BB0B149BCAULL,
    0xDF605535AC3CD7F7ULL, 0xD92E9A94849081FBULL, 0x22E29A46A633C412ULL, 0x9C8FBAA94A60EA24ULL,
    0xFA2F43831A08FF49ULL, 0x43AE6652B3ABFDC8ULL, 0xDCF805A69F9D4112ULL, 0xD88079AB81EF6C57ULL,
    0x6E3923A18DDCF5CAULL, 0xA586B0C1D877200BULL, 0x09302366F19F12B8ULL, 0x018B644A3F619E1AULL,
    0xACDD93CF7F6A3A63ULL, 0x8195273B98E66639ULL, 0x280D633CD86EAD15ULL, 0xC3F08617F4F57336ULL,
    0xD924C1918FB8E8F7ULL, 0x6CDF5F2069324A64ULL, 0x9F8B9E89D6C20E19ULL, 0xDD79F29E7760AE41ULL,
    0x273B239EB58CE90CULL, 0xCF250EB7CAF714C4ULL, 0xB4A5E8AEDDD8684EULL, 0x93258997D12B50A3ULL,
    0x76F1DF28ABF201EBULL, 0xEE27EA18094F37B3ULL, 0x2F2D3F2348BB7B53ULL, 0xA67AC3246D5FED33ULL,
    0xE6B212FF664BE7A5ULL, 0x1BD088377DD60BD0ULL, 0xF74A1E1FB1E3480CULL, 0x26E1C2A64B0C1C2BULL,
    0x5219F671FC09C0C3ULL, 0x7BEA4E11BFEA020EULL, 0x4292D2189AF202EBULL, 0x68A8BCF43F8DD172ULL,
    0xD1A29191BFE94E04ULL, 0x277D304EC47A0C15ULL, 0x5100150EC3D5E5A6ULL, 0xAD76FDE161E74E2FULL,
    0xFF98C015467DB171ULL, 0x2F3C859B97632BC7ULL, 0x072C8DBE2D7F3F3FULL, 0xB3F686AD3AC547E6ULL,
    0x50EBD99FA1434C60ULL, 0x6AED81A1E9D93AC6ULL, 0xAFAECCAB2B81BC4EULL, 0xA3A7BFF89D0FB8A5ULL,
    0x62DB7DB17C4DED47ULL, 0xF12545C3F4723B18ULL, 0xA5C7E1E6A6EEDE19ULL, 0xDB84E3DD610C354BULL,
    0x3371E8B029088E8CULL, 0xFA1A3464F6E67A67ULL, 0xA10C8BD27D8AD544ULL, 0x7F88FC185C97E55AULL,
    0xFBEBFDA5ACF32A5BULL, 0x2C22B38AB18ABE24ULL, 0x02D177598E804286ULL, 0x69EB926C60E858E8ULL,
    0x4233C093DCACFB77ULL, 0x988BD0513AE4DD24ULL, 0xACB0F2C1E65D9AF9ULL, 0xB7EAD71869194A61ULL,
    0x2FAD364CA84A10E6ULL, 0xAFF96270B6E80821ULL, 0x066CB805CF5D61D9ULL, 0x85A00757FB31C5AAULL,
    0xC191974BCC76B68BULL, 0x97EA40FB065A2FE4ULL, 0x5B17B91458FE4C83ULL, 0x468611527BB5A731ULL,
    0x56C071F444C3A82DULL, 0xA7A982B8E41FBE5AULL, 0x7CCC6884D361C7FDULL, 0x429851C2C25C2D4AULL,
    0xDA702D9C0F30E110ULL, 0xF639968A5D4346B2ULL, 0x73BE6F4BD3383C3EULL, 0x56B180DAF2DF4891ULL,
};

TEST(ArithmeticDigestTest, RandomCasesGiveTheSameResultsInEveryBuild) {
    const std::vector<std::uint64_t> got = DigestsOfRandomCases(std::size(kExpectedBlocks));
    std::size_t differing = 0;
    for (std::size_t k = 0; k < got.size(); ++k) {
        if (got[k] == kExpectedBlocks[k]) continue;
        if (differing++ == 0) {
            ADD_FAILURE() << "cases " << k * kCasesPerBlock << " to "
                          << (k + 1) * kCasesPerBlock - 1 << " (block " << k
                          << ") are the first to differ: digest 0x" << std::hex << got[k]
                          << ", expected 0x" << kExpectedBlocks[k];
        }
    }
    EXPECT_EQ(differing, 0u) << "blocks of " << kCasesPerBlock << " cases that differ, of "
                             << got.size();
}

}  // namespace
