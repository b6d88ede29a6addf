#pragma once

#include "platform/graphics/Geometry.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace folio {

class AudioPlayer;
class Button;
class View;

// Typewriter mode: the page shrinks to a band of fixed height between two
// divider lines and the bars go away; with the key sounds on, every key
// stroke plays one of six sounds, picked at random.
class TypewriterMode {
public:
    // Where things go, in points.
    struct Layout {
        double topDividerY;
        double bottomDividerY;
        double webViewY;
        double webViewHeight;
        double contentHeight;
        double bodyHeight;
        double exitButtonY;
    };
    static constexpr Layout kLandscape{136, 276, 140, 130, 130, 122, 30};
    static constexpr Layout kPortrait{196, 336, 200, 130, 130, 122, 30};
    // The dividers are parked above the view when the mode ends.
    static constexpr double kParkedDividerY = -55;
    static constexpr double kNavigationBarHeight = 44;
    static constexpr std::size_t kSoundCount = 6;

    static const Layout& layoutFor(bool landscape) { return landscape ? kLandscape : kPortrait; }
    // "<resources>/Keyboard_Sounds/<n>.mp3", n from 1.
    static std::string soundPath(const std::string& resourcesFolder, std::size_t number);

    struct Host {
        std::function<void(const std::string& script)> sendScript{};
        std::function<bool()> isLandscape{};
        std::function<std::shared_ptr<View>()> view{};
        std::function<Rect()> webViewFrame{};
        std::function<void(Rect)> setWebViewFrame{};
        std::function<void(bool hidden)> setNavigationBarHidden{};
        std::function<void(bool hidden)> setRulerHidden{};
        std::function<void(bool hidden)> setBannerHidden{};
        std::function<void(bool hidden)> setPageControlHidden{};
        std::function<bool()> isFindOnPageVisible{};
        std::function<void()> hideFindOnPage{};
        std::function<bool()> isEditing{};
        std::function<void()> endEditing{};
        std::function<void()> clearEditing{};
        std::function<bool()> isHardwareKeyboardConnected{};
        std::function<void()> setDefaultTextEditorSizeValues{};
        // Full screen ends with the mode.
        std::function<void()> clearFullScreenMode{};
        std::function<void()> updatePageUpDownControl{};
        // The button that leaves full screen and this mode.
        std::function<std::shared_ptr<Button>()> exitButton{};
        // A number from 0 up, for the sound to play.
        std::function<int()> random{};
        // Once the mode has placed its views (with where they go) or has
        // ended (null): the window shows them so.
        std::function<void(const Layout* layout)> arrangeWindow{};
    };

    explicit TypewriterMode(Host host);
    ~TypewriterMode();
    TypewriterMode(const TypewriterMode&) = delete;
    TypewriterMode& operator=(const TypewriterMode&) = delete;

    void typewriterMode();
    void layoutTypeWriteModeAfterAppEnterForeground();
    void exitTypeWriterMode();
    bool isTypewriterMode() const { return m_isTypewriterMode; }
    void setIsTypewriterMode(bool on) { m_isTypewriterMode = on; }

    const std::shared_ptr<View>& topDivider() const { return m_topDivider; }
    const std::shared_ptr<View>& bottomDivider() const { return m_bottomDivider; }

    // The six players, from the files in `resourcesFolder`; a missing file
    // leaves its player empty.
    void loadTypewriterSounds(const std::string& resourcesFolder);
    bool typeWriterSoundModeActivated() const { return m_soundsOn; }
    void setTypeWriterSoundModeActivated(bool on) { m_soundsOn = on; }
    // After a key stroke: the number of the sound played (from 1), or 0.
    std::size_t playKeySound();
    bool hasLoadedSound(std::size_t number) const;

private:
    void place();

    Host m_host;
    bool m_isTypewriterMode = false;
    bool m_soundsOn = false;
    std::shared_ptr<View> m_topDivider;
    std::shared_ptr<View> m_bottomDivider;
    std::array<std::unique_ptr<AudioPlayer>, kSoundCount> m_players;
};

} // namespace folio
