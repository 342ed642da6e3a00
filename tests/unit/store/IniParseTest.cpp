#include <gtest/gtest.h>

#include <random>
#include <string>

#include "settings/IniParse.h"
#include "settings/SettingsStore.h"

namespace driftmere::ini {
namespace {

using namespace std::string_literals;

// Values that each break a naive "key=value" file in their own way.
// clang-format off
const std::string kAwkward[] = {
    "", " ", "   ", "  leading", "trailing  ", "\ttabbed\t", "two\nlines\n", "\r\nwindows\r",
    "a=b=c", "=", "[Settings]", "]", "; not a comment", "# nor this", "back\\slash\\",
    "\\n is not a newline", "\\x41 stays as typed", "\\", "nul\0inside"s, "\x01\x1f\x7f",
    "caf\xc3\xa9 \xe2\x98\x80", "bad utf-8 \xff\xfe\xc3", "Place a Message Here"};
// clang-format on

TEST(IniText, AwkwardValuesKeysAndSectionsRoundTrip) {
    for (const std::string& value : kAwkward) {
        std::string text = WithValue("", "Settings", "Message", value);
        EXPECT_EQ(Lookup(text, "Settings", "Message"), value) << text;
        // A second write over the line just written reads back as well.
        text = WithValue(text, "Settings", "Message", value + "x");
        EXPECT_EQ(Lookup(text, "Settings", "Message"), value + "x") << text;
    }
    for (const std::string& name : kAwkward) {
        if (name.empty() || name.find_first_not_of(" \t") == std::string::npos) continue;
        std::string text = WithValue("", name, name, "v");
        EXPECT_EQ(Lookup(text, name, name), "v") << text;
        auto entries = Parse(text);
        ASSERT_EQ(entries.size(), 1u) << text;
        EXPECT_EQ(entries[0].section, name);
        EXPECT_EQ(entries[0].key, name);
    }
}

TEST(IniText, NamesMatchWithoutCaseAndBlanksAroundThemDoNotCount) {
    const std::string text = "[ MUSIC ]\n  soundon =  True  \n[settings]\nWINDSPEED=3\n";
    EXPECT_EQ(Lookup(text, "music", "SoundOn"), "True");
    EXPECT_EQ(Lookup(text, "Music", "SOUNDON"), "True");
    EXPECT_EQ(Lookup(text, "Settings", "WindSpeed"), "3");
    EXPECT_EQ(Lookup(text, "Settings", "SoundOn"), std::nullopt);
    EXPECT_EQ(Lookup(text, "Sound", "SoundOn"), std::nullopt);
}

TEST(IniText, EditingKeepsEveryOtherByteAndTheLinesOwnSpelling) {
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
}

TEST(IniText, RepeatedSectionsAndKeysActAsOne) {
    // A file joined by hand from two versions: the first line for a key is the one that counts,
    // and a write replaces that line rather than adding one the reader would never see.
    const std::string text = "[Music]\nMidi1=0\n[Settings]\nA=1\n[music]\nSoundOn=False\nMidi1=1\n";
    EXPECT_EQ(Lookup(text, "music", "Midi1"), "0");
    EXPECT_EQ(Lookup(text, "music", "SoundOn"), "False");
    std::string edited = WithValue(text, "music", "SoundOn", "True");
    EXPECT_EQ(edited, "[Music]\nMidi1=0\n[Settings]\nA=1\n[music]\nSoundOn=True\nMidi1=1\n");
    edited = WithValue(edited, "MUSIC", "Midi2", "1");
    EXPECT_EQ(edited,
              "[Music]\nMidi1=0\nMidi2=1\n[Settings]\nA=1\n[music]\nSoundOn=True\nMidi1=1\n");
}

TEST(IniText, EditsOfRandomTextsReadBackAndDisturbNoOtherKey) {
    // Texts made mostly of the characters that matter to the format, and names that collide
    // by case, by blanks and by escaping.
    const std::string alphabet = "[]=\\;# \t\r\n\n\nskSK01\xff"s + '\0';
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
