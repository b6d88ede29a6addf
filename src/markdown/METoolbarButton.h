#pragma once

#include "platform/ui/Button.h"

#include <functional>
#include <memory>
#include <string>

namespace folio {

// A key of the Markdown key bar: a title on the standard key face, a face
// image instead of the title, or the title on a background image; it runs
// its block when it fires. The face is built once, from what the key holds
// when it is made.
class METoolbarButton : public Button {
public:
    using PressBlock = std::function<void()>;

    static std::shared_ptr<METoolbarButton> buttonWithTitle(std::u16string title);
    // Images are named resources; the face shows them by name.
    static std::shared_ptr<METoolbarButton> buttonWithTitleAndImage(std::u16string title, std::string image);
    static std::shared_ptr<METoolbarButton> buttonWithTitleAndBackgroundImage(std::u16string title, std::string image);
    static std::shared_ptr<METoolbarButton> buttonWithTitleAndBackgroundColor(std::u16string title, Color color);

    METoolbarButton(std::u16string title, std::string image, std::string backgroundImage, std::optional<Color> backgroundColor);

    const std::u16string& title() const { return m_title; }
    const std::string& image() const { return m_image; }
    const std::string& bkgImage() const { return m_bkgImage; }
    const std::optional<Color>& bkgColor() const { return m_bkgColor; }
    const PressBlock& buttonPressBlock() const { return m_buttonPressBlock; }

    // Keeps the block and fires it on `event`.
    void addEventHandler(PressBlock block, ControlEvent event);
    void buttonPressed();

    // The platform symbol that stands for a named key image on screen.
    static std::string symbolForImage(const std::string& image);

private:
    void buildFace();

    std::u16string m_title;
    std::string m_image;
    std::string m_bkgImage;
    std::optional<Color> m_bkgColor;
    PressBlock m_buttonPressBlock;
};

} // namespace folio
