#include "startup/SaverSettings.h"

#include <string>

#include "display/Scene.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"
#include "settings/Conversions.h"
#include "settings/KeyTable.h"

namespace driftmere {
namespace {

class Reader {
  public:
    explicit Reader(SettingsStore& store) : store_(store) {}

    std::string Text(std::string_view section, std::string_view key) {
        return GetSetting(store_, section, key);
    }
    double Number(std::string_view section, std::string_view key) {
        return NumberOr(Text(section, key), FirstRunValue(section, key));
    }
    // The 16-bit conversion: rounded half to even, out of range taken as unreadable.
    std::int16_t Int16(std::string_view section, std::string_view key) {
        return Int16Or(Text(section, key), FirstRunValue(section, key));
    }
    bool Flag(std::string_view section, std::string_view key) {
        return BoolOr(Text(section, key), FirstRunValue(section, key));
    }

  private:
    SettingsStore& store_;
};

}  // namespace

SaverSettings LoadSaverSettings(SettingsStore& store) {
    Reader read(store);
    SaverSettings s;

    // One fixed order, each key once: the scene, the music, the overlay and the pointer, the
    // monitor.
    s.scrollSeconds = read.Number("Settings", "ScrollSec");
    s.windSpeed = read.Number("Settings", "WindSpeed");
    s.drafts = read.Number("Settings", "Drafts");
    s.showBackdrops = read.Int16("Settings", "ShowBkGrnd") == 1;
    for (std::size_t i = 0; i < kBackdrops.size(); ++i) {
        const std::string_view key = kBackdrops[i].settingKey;
        // Mountain 4 and Beach 3 are whole numbers (1.4 counts as 1); the others must be 1
        // exactly.
        const bool whole = key == "Mountain4" || key == "Beach3";
        s.backdropChosen[i + 1] =
            whole ? read.Int16("Settings", key) == 1 : read.Number("Settings", key) == 1;
    }

    s.soundOn = read.Flag("music", "SoundOn");
    for (std::size_t i = 0; i < kPlaylist.size(); ++i)
        s.songEnabled[i] = read.Int16("music", kPlaylist[i].settingKey);
    s.stopMusicAfter = StopLimitSeconds(read.Text("music", "SoundOff"));

    const std::int16_t showMessage = read.Int16("Settings", "ShowMessage");
    std::string message = read.Text("Settings", "Message");
    const std::string messageSize = read.Text("Settings", "FontSizeMsg");
    const bool arial = read.Int16("Settings", "CheckFont") == 1;
    const std::string clockSwitch = read.Text("System", "Clock");
    const std::string clockSize = read.Text("System", "FontSize");
    s.mouseSensitivity = read.Number("System", "MouseSens");
    // "CheckFont" 1 means Arial whatever "FontName" holds.
    std::string fontName = read.Text("Settings", "FontName");
    if (arial) fontName = "Arial";
    s.overlay = MakeOverlay(clockSwitch, clockSize, showMessage, std::move(message), messageSize,
                            std::move(fontName));

    s.disablePowerSaving = read.Int16("Settings", "PwrSave");
    return s;
}

}  // namespace driftmere
