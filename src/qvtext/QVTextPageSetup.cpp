#include "qvtext/QVTextPageSetup.h"

#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/UserDefaults.h"
#include "qvtext/QVBodyStyle.h"
#include "webeditor/PageScript.h"

namespace folio {

namespace {

constexpr const char* kSetBackground = "tinymce.activeEditor.getBody().style.backgroundColor = {};";

} // namespace

QVTextPageSetup::Settings QVTextPageSetup::Settings::fromDefaults(const UserDefaults& defaults, BlankDocument blank)
{
    Settings settings;
    settings.isNewBlankDocument = blank == BlankDocument::Yes;
    settings.darknightMode = defaults.boolForKey("darknightMode").value_or(false);
    settings.defaultFont = defaults.stringForKey("defaultFont");
    settings.defaultFontSize = defaults.doubleForKey("defaultFontSize");
    settings.defaultPaperColor = defaults.stringForKey("defaultPaperColor");
    settings.defaultFontColor = defaults.stringForKey("defaultFontColor");
    settings.defaultBackgroundFontColor = defaults.stringForKey("defaultBackgroundFontColor");
    settings.defaultLineSpacing = defaults.doubleForKey("defaultLineSpacing").value_or(0);
    settings.defaultFirstLineIndent = defaults.doubleForKey("defaultFirstLineIndent");
    settings.defaultParagraphSpacing = defaults.doubleForKey("defaultParagraphSpacing");
    settings.marginTop = defaults.doubleForKey("QVdefaultPageMarginTop").value_or(0);
    settings.marginBottom = defaults.doubleForKey("QVdefaultPageMarginBottom").value_or(0);
    settings.marginLeft = defaults.doubleForKey("QVdefaultPageMarginLeft").value_or(0);
    settings.marginRight = defaults.doubleForKey("QVdefaultPageMarginRight").value_or(0);
    return settings;
}

std::string QVTextPageSetup::storedStyleScript()
{
    return PageScript::fill("(function(){var found=tinymce.activeEditor.dom.select('[id=\"' + {} + '\"]');"
                            "if(!found.length)return '';"
                            "return '=' + (found[found.length-1].getAttribute('style') || '');})()",
                            {QVBodyStyle::kElementId});
}

std::optional<std::string> QVTextPageSetup::storedStyleFromAnswer(const std::string& answer)
{
    if (answer.empty() || answer.front() != '=')
        return std::nullopt;
    return QVBodyStyle::restoredStyle(std::string_view(answer).substr(1));
}

std::string QVTextPageSetup::restoreBodyStyleScript(const std::optional<std::string>& storedStyle)
{
    std::string script;
    if (storedStyle)
        script += PageScript::fill("tinymce.activeEditor.getBody().setAttribute('style', {});", {*storedStyle});
    script += PageScript::fill("(function(){var editor=tinymce.activeEditor;"
                               "editor.dom.remove(editor.dom.select('[id=\"' + {} + '\"]'));"
                               "editor.undoManager.clear();editor.undoManager.add();editor.setDirty(false);})();",
                               {QVBodyStyle::kElementId});
    return script;
}

std::string QVTextPageSetup::backgroundColorScript()
{
    return "tinymce.activeEditor.getBody().style.backgroundColor;";
}

std::vector<std::string> QVTextPageSetup::fontAndPaperScripts(const Settings& settings, const std::string& pageBackground)
{
    std::vector<std::string> scripts;
    if (settings.darknightMode) {
        scripts.push_back("addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');"
                          "tinymce.activeEditor.getBody().style.backgroundColor ='#d0d0d0'");
    }
    // The user's font goes over the restored one; without a stored font the
    // page's own stays.
    if (settings.defaultFontSize && settings.defaultFont) {
        scripts.push_back(PageScript::fill("tinymce.activeEditor.getBody().style.fontSize = {};"
                                           "tinymce.activeEditor.getBody().style.fontFamily = {};",
                                           {std::to_string(static_cast<long>(*settings.defaultFontSize)) + "pt",
                                            *settings.defaultFont}));
    }
    if (!settings.isNewBlankDocument) {
        if (!pageBackground.empty())
            scripts.push_back(PageScript::fill(kSetBackground, {pageBackground}));
        return scripts;
    }
    std::string paper = settings.defaultPaperColor && !settings.defaultPaperColor->empty() ? *settings.defaultPaperColor
                                                                                           : std::string("white");
    scripts.push_back(PageScript::fill(kSetBackground, {paper}));
    if (settings.defaultFontColor)
        scripts.push_back(PageScript::fill("tinymce.activeEditor.execCommand('foreColor', false, {});",
                                           {*settings.defaultFontColor}));
    if (settings.defaultBackgroundFontColor)
        scripts.push_back(PageScript::fill("tinymce.activeEditor.execCommand('backColor', false, {});",
                                           {*settings.defaultBackgroundFontColor}));
    return scripts;
}

std::vector<std::string> QVTextPageSetup::blankDocumentScripts(const Settings& settings)
{
    std::vector<std::string> scripts;
    if (!settings.isNewBlankDocument)
        return scripts;
    if (settings.defaultFont && settings.defaultLineSpacing != 0)
        scripts.push_back(PageScript::fill("tinymce.activeEditor.execCommand('LineHeight', false, {});",
                                           {formatFixed(settings.defaultLineSpacing, 6)}));
    if (settings.defaultFirstLineIndent && *settings.defaultFirstLineIndent != 0 &&
        formatFixed(*settings.defaultFirstLineIndent, 2) != "0.63")
        scripts.push_back(PageScript::fill("tinymce.activeEditor.getBody().style.textIndent = {};",
                                           {formatFixed(*settings.defaultFirstLineIndent, 2) + "cm"}));
    if (settings.defaultParagraphSpacing && *settings.defaultParagraphSpacing != 0)
        scripts.push_back(PageScript::fill("tinymce.activeEditor.dom.setStyle(tinymce.activeEditor.selection.getNode(),"
                                           "'marginBottom', {});",
                                           {formatFixed(*settings.defaultParagraphSpacing, 6) + "pt"}));
    scripts.push_back(PageScript::fill("(function(s){s.marginTop={};s.marginBottom={};s.marginRight={};"
                                       "s.marginLeft={};})(tinymce.activeEditor.getBody().style);",
                                       {documentMargin(settings.marginTop) + "cm",
                                        documentMargin(settings.marginBottom) + "cm",
                                        documentMargin(settings.marginRight) + "cm",
                                        documentMargin(settings.marginLeft) + "cm"}));
    return scripts;
}

std::string QVTextPageSetup::documentMargin(double stored)
{
    return stored > 0 ? formatFixed(stored, 2) : std::string(kDefaultMargin);
}

} // namespace folio
