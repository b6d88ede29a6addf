#include "richtext/RichTextPageSetup.h"

#include "platform/foundation/UserDefaults.h"
#include "webeditor/PageScript.h"

namespace folio {

RichTextPageSetup::Settings RichTextPageSetup::Settings::fromDefaults(const UserDefaults& defaults, BlankDocument blank)
{
    Settings s;
    s.darknightMode = defaults.boolForKey("darknightMode").value_or(false);
    s.isNewBlankDocument = blank == BlankDocument::Yes;
    s.hasDefaultFont = defaults.stringForKey("defaultFont").has_value();
    s.defaultLineSpacing = defaults.doubleForKey("defaultLineSpacing").value_or(0);
    s.defaultFirstLineIndent = defaults.doubleForKey("defaultFirstLineIndent").value_or(0);
    s.defaultParagraphSpacing = defaults.doubleForKey("defaultParagraphSpacing").value_or(0);
    s.defaultParagraphSpacingBefore = defaults.doubleForKey("defaultParagraphSpacingBefore").value_or(0);
    s.marquentParagraphSpacing = defaults.doubleForKey("marquentParagraphSpacing").value_or(0);
    s.marquentParagraphSpacingBefore = defaults.doubleForKey("marquentParagraphSpacingBefore").value_or(0);
    s.smartQuotesEnabled = defaults.boolForKey("smartQuotesEnabled").value_or(false);
    return s;
}

std::string RichTextPageSetup::heightScript(double pageHeight)
{
    return PageScript::call("setRichTextPageHeight", {pageHeight - 22, pageHeight});
}

std::vector<std::string> RichTextPageSetup::readyScripts(const Settings& s, double pageHeight)
{
    std::vector<std::string> scripts;
    if (s.darknightMode) {
        scripts.push_back("addcss('html,img,object {-webkit-filter: invert(1) hue-rotate(180deg);}');"
                          "document.body.style.backgroundColor ='#d0d0d0'");
    }
    scripts.push_back("document.execCommand('styleWithCSS', false, true);");
    scripts.push_back(heightScript(pageHeight));

    double spacing = 1.0;
    if (s.hasDefaultFont && s.isNewBlankDocument && s.defaultLineSpacing != 0)
        spacing = s.defaultLineSpacing;
    scripts.push_back(PageScript::call("setRichTextLineSpacing", {ScriptValue::fixed(spacing, 2)}));

    if (s.isNewBlankDocument) {
        auto spacingCall = [&scripts](const char* function, double value) {
            if (value != 0)
                scripts.push_back(PageScript::call(function, {ScriptValue::fixed(value, 2)}));
        };
        spacingCall("setRichTextFirstLineIndent", s.defaultFirstLineIndent);
        spacingCall("setRichTextParagraphSpacingAfter", s.defaultParagraphSpacing);
        spacingCall("setRichTextParagraphSpacingBefore", s.defaultParagraphSpacingBefore);
        spacingCall("setRichTextParagraphSpacingAfter", s.marquentParagraphSpacing);
        spacingCall("setRichTextParagraphSpacingBefore", s.marquentParagraphSpacingBefore);
    }

    scripts.push_back("stripRTFfromObjects();");
    if (s.isNewBlankDocument)
        scripts.push_back("document.getElementById('content').focus();");
    scripts.push_back("updateFootnoteIndex();");
    if (s.smartQuotesEnabled)
        scripts.push_back("smartQuotesEnabled = true;");
    // Last: the held-back part of a long document comes out after the
    // editor's own set-up.
    scripts.push_back("showHeldBlocksInBatches();");
    return scripts;
}

std::vector<std::string> RichTextPageSetup::consumedSettings(const Settings& s)
{
    std::vector<std::string> keys;
    if (s.isNewBlankDocument && s.marquentParagraphSpacing != 0)
        keys.push_back("marquentParagraphSpacing");
    if (s.isNewBlankDocument && s.marquentParagraphSpacingBefore != 0)
        keys.push_back("marquentParagraphSpacingBefore");
    return keys;
}

} // namespace folio
