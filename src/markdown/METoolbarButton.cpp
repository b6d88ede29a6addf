#include "markdown/METoolbarButton.h"

#include <map>

namespace folio {

namespace {
constexpr double kKeyWidth = 34;
constexpr double kKeyHeight = 44;
} // namespace

std::shared_ptr<METoolbarButton> METoolbarButton::buttonWithTitle(std::u16string title)
{
    return std::make_shared<METoolbarButton>(std::move(title), std::string(), std::string(), Color::colorWithWhite(1));
}

std::shared_ptr<METoolbarButton> METoolbarButton::buttonWithTitleAndImage(std::u16string title, std::string image)
{
    return std::make_shared<METoolbarButton>(std::move(title), std::move(image), std::string(), Color::colorWithWhite(1));
}

std::shared_ptr<METoolbarButton> METoolbarButton::buttonWithTitleAndBackgroundImage(std::u16string title, std::string image)
{
    // A background image clears the face image and the background colour.
    return std::make_shared<METoolbarButton>(std::move(title), std::string(), std::move(image), Color::colorWithWhite(1, 0));
}

std::shared_ptr<METoolbarButton> METoolbarButton::buttonWithTitleAndBackgroundColor(std::u16string title, Color color)
{
    return std::make_shared<METoolbarButton>(std::move(title), std::string(), std::string(), color);
}

METoolbarButton::METoolbarButton(std::u16string title, std::string image, std::string backgroundImage,
                                 std::optional<Color> backgroundColor)
    : Button(makeRect(0, 0, kKeyWidth, kKeyHeight))
    , m_title(std::move(title))
    , m_image(std::move(image))
    , m_bkgImage(std::move(backgroundImage))
    , m_bkgColor(std::move(backgroundColor))
{
    buildFace();
}

void METoolbarButton::buildFace()
{
    if (!m_image.empty() && m_bkgImage.empty()) {
        setSymbolName(symbolForImage(m_image));
        return;
    }
    setTitle(m_title);
    if (!m_bkgImage.empty()) {
        // The grey key image ("grayEmptyButton") stands behind the title.
        setBackgroundColor(Color::colorWithWhite(0.78));
        layerStyle().cornerRadius = 6;
        return;
    }
    setBackgroundColor(m_bkgColor.value_or(Color::colorWithWhite(1)));
    layerStyle().cornerRadius = 6;
    layerStyle().borderWidth = 1;
    layerStyle().borderColor = Color::colorWithWhite(0.8);
}

void METoolbarButton::addEventHandler(PressBlock block, ControlEvent event)
{
    m_buttonPressBlock = std::move(block);
    addAction(event, [this](Control&) { buttonPressed(); });
}

void METoolbarButton::buttonPressed()
{
    if (m_buttonPressBlock)
        m_buttonPressBlock();
}

std::string METoolbarButton::symbolForImage(const std::string& image)
{
    static const std::map<std::string, std::string> kSymbols{
        {"tabKey.png", "arrow.right.to.line"},       {"keyboardDown.png", "keyboard.chevron.compact.down"},
        {"leftCursorKey.png", "arrow.left"},         {"downCursorKey.png", "arrow.down"},
        {"upCursorKey.png", "arrow.up"},             {"rightCursorKey.png", "arrow.right"},
        {"deleteForward.png", "delete.right"},
    };
    auto it = kSymbols.find(image);
    return it == kSymbols.end() ? std::string() : it->second;
}

} // namespace folio
