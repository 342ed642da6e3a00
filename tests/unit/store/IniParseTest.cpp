#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/IniParse.h"
#include "settings/SettingsStore.h"

namespace driftmere::ini {
namespace {

using namespace std::string_literals;

TEST(IniText, EditingKeepsEveryOtherByteAndTheLinesOwnSpellingAndRepeatsActAsOne) {
    const std::string text =
        "; written by hand\r\n"
        "[SETTINGS]\r\n"
        "windspeed = 3\r\n"
        "Unknown=keep me\r\n"
        "# about the next section\r\n"
        "\r\n"
        "[Other]\r\n"
        "x=1";
    EXPECT_EQ(WithValue(text, "Settings", "WindSpeed", "12"),
              "; written by hand\r\n[SETTINGS]\r\nwindspeed = 12\r\nUnknown=keep me\r\n"
              "# about the next section\r\n\r\n[Other]\r\nx=1");
    // A new key goes after the section's last key, ahead of the comment about the next one.
    EXPECT_EQ(WithValue(text, "settings", "Drafts", "2"),
              "; written by hand\r\n[SETTINGS]\r\nwindspeed = 3\r\nUnknown=keep me\r\nDrafts=2\n"
              "# about the next section\r\n\r\n[Other]\r\nx=1");
    // The last line had no line end: one is added before anything follows it.
    EXPECT_EQ(WithValue(text, "Other", "y", "2"), text + "\ny=2\n");
    EXPECT_EQ(WithValue(text, "System", "Clock", "0"), text + "\n\n[System]\nClock=0\n");
    // Only what would be misread is escaped, so a hand editor still reads ordinary values.
    EXPECT_EQ(WithValue("", "Settings", "Message", "Hi, world; #1 = [best]"),
              "[Settings]\nMessage=Hi, world; #1 = [best]\n");
    // A file joined by hand from two versions: the first line for a key is the one that counts,
    // and a write replaces that line rather than adding one the reader would never see.
    const std::string joined =
        "[Music]\nMidi1=0\n[Settings]\nA=1\n[music]\nSoundOn=False\nMidi1=1\n";
    EXPECT_EQ(Lookup(joined, "music", "Midi1"), "0");
    std::string edited = WithValue(joined, "music", "SoundOn", "True");
    EXPECT_EQ(edited, "[Music]\nMidi1=0\n[Settings]\nA=1\n[music]\nSoundOn=True\nMidi1=1\n");
    edited = WithValue(edited, "MUSIC", "Midi2", "1");
    EXPECT_EQ(edited,
              "[Music]\nMidi1=0\nMidi2=1\n[Settings]\nA=1\n[music]\nSoundOn=True\nMidi1=1\n");
}

TEST(IniText, EditsOfRandomTextsReadBackAndDisturbNoOtherKey) {
    // Texts and values made mostly of the characters that matter to the format (escapes
    // included), and names that collide by case, by blanks and by escaping.
    const std::string alphabet = "[]=\\;# \t\r\n\n\nnskSK01\xff\x01"s + '\0';
    const std::string names[] = {"", "s", "S", "k", "K", " k", "k=", "[s]", "\\", "#"};
    std::mt19937 random(11);
    auto pick = [&](std::size_t n) { return static_cast<std::size_t>(random() % n); };
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        for (std::size_t n = pick(60); n > 0; --n) text += alphabet[pick(alphabet.size())];
        std::string value;
        for (std::size_t n = pick(6); n > 0; --n) value += alphabet[pick(alphabet.size())];
        const std::string& section = names[pick(std::size(names))];
        const std::string& key = names[1 + pick(std::size(names) - 1)];

        const std::string edited = WithValue(text, section, key, value);
        ASSERT_EQ(Lookup(edited, section, key), value) << "text: " << text;
        for (const std::string& s2 : names) {
            for (const std::string& k2 : names) {
                if (SameName(s2, section) && SameName(k2, key)) continue;
                ASSERT_EQ(Lookup(edited, s2, k2), Lookup(text, s2, k2))
                    << "text: " << text << " edited: " << edited;
            }
        }
        Parse(edited);
    }
}

}  // namespace
}  // namespace driftmere::ini
