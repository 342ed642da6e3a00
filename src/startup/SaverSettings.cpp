#include "startup/SaverSettings.h"

#include <string>

#include "display/Scene.h"
#include "music/Playlist.h"
#include "music/StopChoices.h"
#include "settings/Schema.h"

namespace driftmere {

SaverSettings LoadSaverSettings(SettingsStore& store) {
    using namespace setting;
    auto read = [&store](const auto& which) { return ReadSetting(store, which); };
    SaverSettings s;

    // One fixed order, each key once: the scene, the music, the overlay and the pointer, the
    // monitor.
    s.scrollSeconds = read(kScrollSec);
    s.windSpeed = read(kWindSpeed);
    s.drafts = read(kDrafts);
    s.showBackdrops = read(kShowBkGrnd) == 1;
    // By backdrop index: the mountains, then the beaches.
    s.backdropChosen = {false,
                        read(kMountain1) == 1,
                        read(kMountain2) == 1,
                        read(kMountain3) == 1,
                        read(kMountain4) == 1,
                        read(kBeach1) == 1,
                        read(kBeach2) == 1,
                        read(kBeach3) == 1};

    s.soundOn = read(kSoundOn);
    for (std::size_t i = 0; i < kPlaylist.size(); ++i)
        s.songEnabled[i] = read(*kPlaylist[i].setting);
    s.stopMusicAfter = StopLimitSeconds(read(kSoundOff));

    const std::int16_t showMessage = read(kShowMessage);
    std::string message = read(kMessage);
    const std::string messageSize = read(kFontSizeMsg);
    const bool arial = read(kCheckFont) == 1;
    const std::string clockSwitch = read(kClock);
    const std::string clockSize = read(kFontSize);
    s.mouseSensitivity = read(kMouseSens);
    // "CheckFont" 1 means Arial whatever "FontName" holds.
    std::string fontName = read(kFontName);
    if (arial) fontName = "Arial";
    s.overlay = MakeOverlay(clockSwitch, clockSize, showMessage, std::move(message), messageSize,
                            std::move(fontName));

    s.disablePowerSaving = read(kPwrSave);
    return s;
}

}  // namespace driftmere
