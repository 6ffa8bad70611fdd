// The catalogue the Windows programs carry inside: the build's own Hungarian catalogue read
// from memory, in either byte order, and anything malformed read as no catalogue at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/compiled_catalogue.h"

namespace trovel::platform {
namespace {

std::vector<unsigned char> Hungarian() {
    std::ifstream file(TROVEL_BUILD_LOCALE_DIR "/hu/LC_MESSAGES/trovel.mo", std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::uint32_t Word(const std::vector<unsigned char>& bytes, std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

void Put(std::vector<unsigned char>& bytes, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<unsigned char>(value >> (8 * i));
}

// The same catalogue as a big-endian machine's msgfmt writes it.
std::vector<unsigned char> BigEndian(std::vector<unsigned char> bytes) {
    const std::uint32_t count = Word(bytes, 8), originals = Word(bytes, 12), translations = Word(bytes, 16);
    std::vector<std::size_t> words = {0, 4, 8, 12, 16, 20, 24};
    for (std::uint32_t i = 0; i < count * 2; ++i) {
        words.push_back(originals + i * 4);
        words.push_back(translations + i * 4);
    }
    for (const std::size_t at : words) std::reverse(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4);
    return bytes;
}

void ExpectHungarian(const CompiledCatalogue& catalogue) {
    ASSERT_FALSE(catalogue.empty());
    EXPECT_STREQ(catalogue.Translate("Cannot open"), "Nem nyitható meg");
    EXPECT_STREQ(catalogue.Translate("Cannot read the journal (%1): %2"), "A napló nem olvasható (%1): %2");
    EXPECT_STREQ(catalogue.Translate("folder", "folders", 1), "mappa");
    EXPECT_STREQ(catalogue.Translate("file", "files", 7), "fájl");
    EXPECT_STREQ(catalogue.Translate("A text nobody wrote"), "A text nobody wrote");
    EXPECT_STREQ(catalogue.Translate("one thing", "%1 things", 2), "%1 things");
    EXPECT_STREQ(catalogue.Translate(""), "");  // not the catalogue's header
}

TEST(CompiledCatalogue, FindsEveryKindOfEntryInTheBuildsHungarianCatalogue) {
    const std::vector<unsigned char> bytes = Hungarian();
    ASSERT_GT(bytes.size(), 1000u) << "the build's hu catalogue is missing";
    ExpectHungarian(CompiledCatalogue("hu", bytes.data(), bytes.size()));
}

TEST(CompiledCatalogue, ReadsACatalogueWrittenInTheOtherByteOrder) {
    const std::vector<unsigned char> bytes = BigEndian(Hungarian());
    ExpectHungarian(CompiledCatalogue("hu", bytes.data(), bytes.size()));
}

TEST(CompiledCatalogue, AnythingMalformedIsNoCatalogueAndEveryTextStaysEnglish) {
    const std::vector<unsigned char> good = Hungarian();
    const auto english = [](const std::vector<unsigned char>& bytes) {
        const CompiledCatalogue catalogue("hu", bytes.data(), bytes.size());
        EXPECT_TRUE(catalogue.empty());
        EXPECT_STREQ(catalogue.Translate("Cannot open"), "Cannot open");
    };
    english({});
    english(std::vector<unsigned char>(good.begin(), good.begin() + 20));  // cut inside the header
    english(std::vector<unsigned char>(good.begin(), good.end() - 3));     // the last string cut off
    std::vector<unsigned char> bad = good;
    bad[0] ^= 0xFF;  // not a catalogue
    english(bad);
    bad = good;
    Put(bad, 8, 0x40000000u);  // more entries than the bytes hold
    english(bad);
    bad = good;
    Put(bad, Word(good, 12) + 4, static_cast<std::uint32_t>(good.size()));  // a string beyond the end
    english(bad);
    bad = good;
    Put(bad, Word(good, 12), Word(good, Word(good, 12)) + 1);  // the first original no longer ends at its NUL
    english(bad);
    bad = good;
    // Two originals out of order: a binary search would miss texts.
    const std::size_t table = Word(good, 12);
    for (int i = 0; i < 8; ++i) std::swap(bad[table + 8 + static_cast<std::size_t>(i)], bad[table + 16 + static_cast<std::size_t>(i)]);
    english(bad);
}

}  // namespace
}  // namespace trovel::platform
