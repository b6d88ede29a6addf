#include "richtext/RichTextPictureInserter.h"

#include "platform/foundation/AppFolders.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UUID.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/AlertController.h"
#include "webeditor/PageScript.h"
#include "webeditor/PictureFile.h"

#include <algorithm>

namespace folio {

namespace {

constexpr const char* kErrorDomain = "RichTextPictureInserter";
constexpr int kMaximumNameTries = 2000;
constexpr double kHalvingThreshold = 200;
constexpr int kPictureLineFontSize = 18;
// Only one picture carries the selected id: the one inserted or edited last.
constexpr const char* kReleaseSelectedIdScript =
    "(function(){var held=document.getElementById('marquent_555');if(held)held.id='marquent_444';})();";
constexpr const char* kReplaceWidthScript = "var elem = document.getElementById('marquent_555');elem.width";
constexpr const char* kReplaceHeightScript = "var elem = document.getElementById('marquent_555');elem.height";

std::string withDashesForBlanks(std::string name)
{
    std::replace(name.begin(), name.end(), ' ', '-');
    return name;
}

} // namespace

RichTextPictureInserter::RichTextPictureInserter(Host host) : m_host(std::move(host))
{
    if (!m_host.makeUUID)
        m_host.makeUUID = [] { return makeUUIDString(); };
}

Size RichTextPictureInserter::displaySize(Size points)
{
    if (points.width > kHalvingThreshold && points.height > kHalvingThreshold)
        return {points.width * 50 / 100, points.height * 50 / 100};
    return points;
}

std::string RichTextPictureInserter::freeFileName(const std::string& folder, const std::function<std::string()>& makeUUID)
{
    std::string stem = "image-" + makeUUID();
    std::string name = withDashesForBlanks(stem + ".png");
    for (int counter = 1; counter <= kMaximumNameTries && FileManager::fileExists(folder + "/" + name); ++counter)
        name = withDashesForBlanks(stem + "-" + std::to_string(counter) + "-" + makeUUID() + ".png");
    return name;
}

std::string RichTextPictureInserter::pictureSource(const std::string& path)
{
    return URL::fileURLWithPath(path).absoluteString();
}

std::string RichTextPictureInserter::pictureHTML(const std::string& fontName, const std::string& style,
                                                 const std::string& source, Size size, bool rightToLeft)
{
    std::string font = HTMLTextEscaper::escape(fontName);
    std::string lineStyle = rightToLeft
        ? formatInCLocale("direction:rtl;text-align:center;font-family:%s;font-size: %dpx; %s;", font.c_str(),
                          kPictureLineFontSize, style.c_str())
        : formatInCLocale("font-family:%s;text-align:center;font-size: %dpx; %s;", font.c_str(), kPictureLineFontSize,
                          style.c_str());
    std::string picture = formatInCLocale("<img id=\"%s\" src=\"%s\" width=\"%fpx\" height=\"%fpx\">", kSelectedPictureId,
                                          HTMLTextEscaper::escape(source).c_str(), size.width, size.height);
    std::string html = "<div style=\"" + lineStyle + "\"><br>" + picture + "</div>";
    if (!rightToLeft)
        html += "<div style=\"text-align:left;\"></div>";
    return html;
}

std::string RichTextPictureInserter::styleText() const
{
    std::string style;
    if (flag(m_host.isBold))
        style += "font-weight:bold; ";
    if (flag(m_host.isItalic))
        style += "font-style:italic; ";
    if (flag(m_host.isUnderlined))
        style += "text-decoration:underline; ";
    return style;
}

std::shared_ptr<AlertController> RichTextPictureInserter::notAPictureAlert(const std::string& reason)
{
    return PictureFile::notAPictureAlert(reason);
}

Status RichTextPictureInserter::insertPictureFile(const std::string& path)
{
    Result<Image::Pointer> picture = PictureFile::read(path, m_host.viewWidth ? m_host.viewWidth() : 0);
    if (!picture) {
        if (m_host.presentAlert)
            m_host.presentAlert(notAPictureAlert(picture.error().message));
        return Error{kErrorDomain, 1, picture.error().message};
    }
    if (m_host.sendScript)
        m_host.sendScript("restoreCaretSelection ();");
    return insertImage(*picture, true);
}

Status RichTextPictureInserter::insertImage(const Image::Pointer& image, bool autoResize)
{
    if (!image)
        return Error{kErrorDomain, 2, "No picture"};
    std::string folder = AppFolders::pictureFolderForDocument(m_host.documentName ? m_host.documentName() : "");
    if (Status created = FileManager::createDirectory(folder); !created) {
        TELog(TELogLevelError, "The picture folder cannot be made: " + created.error().message);
        return created;
    }
    std::string path = folder + "/" + freeFileName(folder, m_host.makeUUID);
    Result<std::vector<std::uint8_t>> png = image->pngData();
    if (!png)
        return png.error();
    if (Status written = FileManager::writeAtomically(path, *png); !written) {
        TELog(TELogLevelError, "The picture cannot be written: " + written.error().message);
        return written;
    }
    Size size = displaySize(image->size());
    std::string source = pictureSource(path);
    auto send = [this](const std::string& script) {
        if (m_host.sendScript)
            m_host.sendScript(script);
    };

    if (!flag(m_host.isEditingPicture)) {
        std::string font = m_host.currentStyleFontName ? m_host.currentStyleFontName() : std::string();
        font.erase(std::remove(font.begin(), font.end(), '"'), font.end());
        // A style without a font name still gets its picture, in the usual font.
        if (font.empty())
            font = kDefaultFontName;
        bool rightToLeft = flag(m_host.isRightToLeft);
        send(kReleaseSelectedIdScript);
        std::string script = PageScript::fill("document.execCommand('insertHTML', false, {});",
                                              {pictureHTML(font, styleText(), source, size, rightToLeft)});
        if (!rightToLeft)
            script += "centerImage();";
        send(script);
    } else {
        if (!autoResize && m_host.readNumber) {
            size.width = m_host.readNumber(kReplaceWidthScript).value_or(size.width);
            size.height = m_host.readNumber(kReplaceHeightScript).value_or(size.height);
        }
        send(PageScript::call("replaceImage", {source, size.width, size.height}));
        if (m_host.removeImageEditing)
            m_host.removeImageEditing();
    }
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
    return {};
}

} // namespace folio
