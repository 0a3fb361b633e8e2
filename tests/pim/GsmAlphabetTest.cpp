#include "pim/GsmAlphabet.h"

#include <gtest/gtest.h>

using namespace q7k3::pim;

namespace {

std::string Hex(std::string_view s) { return ToHex(s); }
std::string Bytes(std::string_view hex) { return FromHex(hex).value(); }

}  // namespace

TEST(GsmAlphabet, CodesAndTextBothWays) {
    struct Row {
        const char* Codes;  // hex of unpacked codes
        const char* Text;
    } rows[] = {
        {"48656C6C6F", "Hello"},
        {"00011B65", "@£€"},
        {"1B141B281B291B2F1B3C1B3D1B3E1B401B0A", "^{}\\[~]|\f"},
        {"10121314151617181919", "ΔΦΓΛΩΠΨΣΘΘ"},
        {"5B5C5D5E5F607B7C7D7E7F", "ÄÖÑÜ§¿äöñüà"},
        {"0A0D2024", "\n\r ¤"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(GsmToUtf8(Bytes(r.Codes)), r.Text) << r.Codes;
        Encoded e = Utf8ToGsm(r.Text);
        EXPECT_TRUE(e.Whole()) << r.Text;
        if (std::string(r.Codes) != "10121314151617181919") EXPECT_EQ(Hex(e.Bytes), r.Codes) << r.Text;
    }
}

TEST(GsmAlphabet, OddEscapesAndBytesAreShownNotLost) {
    EXPECT_EQ(GsmToUtf8(Bytes("1B41")), "A");   // no such extension: the main table's
    EXPECT_EQ(GsmToUtf8(Bytes("411B")), "A ");  // a lone ESC at the end
    EXPECT_EQ(GsmToUtf8(Bytes("80")), "\uFFFD");
}

TEST(GsmAlphabet, UnmappableCharactersAreReported) {
    Encoded e = Utf8ToGsm("Да ok\xFF");
    EXPECT_EQ(e.Bytes, "?? ok?");
    EXPECT_EQ(e.Unmappable, (std::vector<char32_t>{U'Д', U'а', 0xFFFD}));
    EXPECT_EQ(GsmCodeOf(U' '), " ");
    EXPECT_EQ(GsmCodeOf(U'€'), "\x1B\x65");
    EXPECT_EQ(GsmCodeOf(U'ж'), "");
}

TEST(GsmAlphabet, SeptetPacking) {
    struct Row {
        const char* Text;
        int Fill;
        const char* Packed;
    } rows[] = {
        {"hellohello", 0, "E8329BFD4697D9EC37"},
        {"A", 1, "82"},
        {"", 0, ""},
        {"12345678", 0, "31D98C56B3DD70"},  // eight septets fill seven octets
    };
    for (const Row& r : rows) {
        std::string codes = Utf8ToGsm(r.Text).Bytes;
        EXPECT_EQ(Hex(PackSeptets(codes, r.Fill)), r.Packed) << r.Text;
        EXPECT_EQ(UnpackSeptets(Bytes(r.Packed), int(codes.size()), r.Fill), codes) << r.Text;
    }
    // Every fill-bit offset and length round-trips, and a cut stream is refused.
    std::string codes;
    for (int i = 0; i < 40; ++i) codes += char((i * 37) & 0x7F);
    for (int fill = 0; fill < 7; ++fill)
        for (size_t n = 0; n <= codes.size(); ++n) {
            std::string packed = PackSeptets(codes.substr(0, n), fill);
            ASSERT_EQ(int(packed.size()), PackedLength(int(n), fill));
            ASSERT_EQ(UnpackSeptets(packed, int(n), fill), codes.substr(0, n)) << fill << " " << n;
            if (n) ASSERT_FALSE(UnpackSeptets(packed.substr(0, packed.size() - 1), int(n), fill));
        }
}

TEST(GsmAlphabet, Ucs2Hex) {
    struct Row {
        const char* Hex;
        const char* Text;
    } rows[] = {
        {"0414043E043C", "Дом"},
        {"004100200042", "A B"},
        {"D83DDE00", "😀"},
        {"20AC", "€"},
        {"", ""},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(Ucs2HexToUtf8(r.Hex), r.Text) << r.Hex;
        EXPECT_EQ(Utf8ToUcs2Hex(r.Text), r.Hex) << r.Text;
    }
    EXPECT_EQ(Ucs2HexToUtf8("d83d0041"), "\uFFFDA");  // a lone surrogate, lower-case hex
    for (const char* bad : {"041", "04G4", "0414 "}) EXPECT_FALSE(Ucs2HexToUtf8(bad)) << bad;
}

TEST(GsmAlphabet, CharsetsByName) {
    struct Row {
        const char* Name;
        Charset Set;
        const char* Text;
        const char* Phone;  // what the phone takes and sends for Text
        bool Whole;
    } rows[] = {
        {"\"GSM\"", Charset::Gsm, "Ab é", "Ab \x05", true},
        {"ucs2", Charset::Ucs2, "Ab ж", "0041006200200436", true},
        {"8859-1", Charset::Latin1, "Ab é", "Ab \xE9", true},
        {"IRA", Charset::Ira, "Ab é", "Ab ?", false},
        {"UTF-8", Charset::Utf8, "Ab é", "Ab é", true},
    };
    for (const Row& r : rows) {
        auto set = CharsetFromName(r.Name);
        ASSERT_EQ(set, r.Set) << r.Name;
        Encoded e = EncodeCharset(*set, r.Text);
        EXPECT_EQ(e.Bytes, r.Phone) << r.Name;
        EXPECT_EQ(e.Whole(), r.Whole) << r.Name;
        if (e.Whole()) EXPECT_EQ(DecodeCharset(*set, r.Phone), r.Text) << r.Name;
        EXPECT_EQ(CharsetFromName(CharsetName(r.Set)), r.Set);
    }
    EXPECT_FALSE(CharsetFromName("PCCP437"));
    EXPECT_EQ(IraToUtf8("a\xE9"), "a\uFFFD");
}
