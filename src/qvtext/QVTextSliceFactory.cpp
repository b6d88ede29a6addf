#include "qvtext/QVTextSliceFactory.h"

#include "documents/TextDocument.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/Font.h"
#include "qvtext/QVStyleState.h"
#include "qvtext/QVTextStyling.h"
#include "tools/inspectors/ControlSlices.h"
#include "tools/pickers/CommandPickerRows.h"
#include "tools/textstyle/TextStyleDefaults.h"
#include "tools/textstyle/TextStyleLists.h"
#include "webeditor/DocumentContentsZoomInspectorSlice.h"
#include "webeditor/InspectorSliceHelpers.h"
#include "webeditor/PageConnection.h"
#include "webeditor/PageScript.h"

#include <algorithm>
#include <cstring>

namespace folio {

using namespace inspector_slices;

QVTextSliceFactory::QVTextSliceFactory(PageConnection& page, QVTextStyling& styling, UserDefaults& defaults, Host host)
    : m_page(page)
    , m_styling(styling)
    , m_defaults(defaults)
    , m_host(std::move(host))
{
}

void QVTextSliceFactory::run(const std::string& command)
{
    if (m_host.run)
        m_host.run(command);
}

void QVTextSliceFactory::dirty()
{
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::make(const InspectorSliceSpec& spec, InspectorPane pane)
{
    const char* kind = spec.kind;
    QVCharacterStyleCommander& characters = m_styling.characters();
    if (is(kind, "DocumentContentsZoomInspectorSlice"))
        return named<DocumentContentsZoomInspectorSlice>(kind);
    if (is(kind, "DKTextColorAttributeInspectorSlice"))
        return colourSlice(spec, pane);
    if (is(kind, "DKFontAttributesInspectorSlice"))
        return fontStyleSlice(kind, characters);
    if (is(kind, "DKParagraphStyleInspectorSlice"))
        return alignmentSlice(kind, [this](long row) { m_styling.alignSelected(row); });
    if (is(kind, "DKFontInspectorSlice")) {
        std::vector<std::string> families = Font::familyNames();
        return named<ChoiceSlice>(
            kind, localized("Font"),
            ChoiceSlice::Choices{utf16(families), [this] { return toUtf16(QVStyleState::read(m_page).fontFamily); },
                                 [this, families](std::size_t index) {
                                     m_page.send(PageScript::fill("tinymce.activeEditor.execCommand('FontName', false, {});",
                                                                  {families[index]}));
                                     dirty();
                                 }});
    }
    if (is(kind, "DKStyleInspectorSlice")) {
        std::vector<ButtonRowSlice::Item> items;
        for (long entry : {0L, 1L, 2L, 3L, 18L}) {
            std::u16string title = localized(CommandPickerRows::styles()[static_cast<std::size_t>(entry)]);
            items.push_back({title, [this, entry] { m_styling.optionSelected(entry); }});
        }
        return named<ButtonRowSlice>(kind, localized("Style"), std::move(items));
    }
    if (is(kind, "DKTextActionsInspectorSlice")) {
        std::vector<ButtonRowSlice::Item> items;
        const std::vector<std::string_view>& rows = CommandPickerRows::miscTools();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            items.push_back({localized(rows[i]), [this, i] {
                                 if (m_host.miscToolsOption)
                                     m_host.miscToolsOption(static_cast<long>(i));
                             }});
        }
        return named<ButtonRowSlice>(kind, localized("Text Tools"), std::move(items));
    }
    if (is(kind, "DKNotEditingInspectorSlice"))
        return named<MessageSlice>(kind, localized("Not Editing"),
                                   localized("Tap the document to place the cursor, then choose again."));
    if (is(kind, "DKInsertImageInspectorSlice"))
        return commandSlice(kind, "Insert Image", "insertImageOption");
    if (is(kind, "DKInsertPhotoInspectorSlice"))
        return commandSlice(kind, "Take Photo", "takePhotoOption");
    if (is(kind, "DKSpecialDataAndCharsInspectorSlice"))
        return commandSlice(kind, "Symbols", "showSpecialCharsMenu");
    if (is(kind, "DKInsertHeaderInspectorSlice"))
        return commandSlice(kind, "Header & Footer", "showHeaderInspector");
    if (is(kind, "DKDocumentPageSizeInspectorSlice")) {
        return named<ChoiceSlice>(kind, localized("Page Size"),
                                  ChoiceSlice::Choices{utf16(paperSizeNames()),
                                                       [this] { return toUtf16(m_defaults.stringForKey("defaultPageSize").value_or("Letter")); },
                                                       [this](std::size_t index) {
                                                           (void)TextStyleDefaults(m_defaults).setDefaultPageSize(paperSizeNames()[index]);
                                                           run("paperSizeChanged");
                                                           dirty();
                                                       }});
    }
    if (std::strstr(kind, "Margin") && !std::strstr(kind, "Header") && !std::strstr(kind, "Footer"))
        return marginSlice(kind);
    if (std::strstr(kind, "Header") || std::strstr(kind, "Footer")) {
        // The header and footer are elements of the page, edited in place.
        return named<MessageSlice>(kind, localized(std::strstr(kind, "Footer") ? "Footer" : "Header"),
                                   localized("Tap the header or footer in the page to change its text."));
    }
    return spacingSlice(kind);
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::commandSlice(const char* kind, const char* title, const char* command)
{
    std::string name = command;
    return named<ButtonRowSlice>(kind, localized(title),
                                 std::vector<ButtonRowSlice::Item>{{localized(title), [this, name] { run(name); }}});
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::colourSlice(const InspectorSliceSpec& spec, InspectorPane)
{
    using Colour = InspectorSliceSpec::Colour;
    const std::vector<std::string>& names = spec.colour == Colour::Paper ? paperColourNames() : textColourNames();
    Colour which = spec.colour;
    auto current = [this, which]() -> std::u16string {
        if (which == Colour::Foreground)
            return toUtf16(m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('foreColor')"));
        if (which == Colour::Background)
            return toUtf16(m_page.readString("tinymce.activeEditor.getDoc().queryCommandValue('backColor')"));
        return toUtf16(m_page.readString("tinymce.activeEditor.getBody().style.backgroundColor"));
    };
    auto choose = [this, &names, which](std::size_t index) {
        const std::string& name = names[index];
        QVTextStyleCallbacks& callbacks = m_styling.textStyleCallbacks();
        if (which == Colour::Foreground)
            callbacks.setCurrentTextSelectionColor(name);
        else if (which == Colour::Background)
            callbacks.setCurrentTextSelectionBackgroundColor(name);
        else if (m_host.setPaperColor)
            m_host.setPaperColor(name);
    };
    return named<ChoiceSlice>(spec.kind, localized(spec.label), ChoiceSlice::Choices{utf16(names), current, choose});
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::spacingSlice(const char* kind)
{
    QVTextStyleCallbacks& callbacks = m_styling.textStyleCallbacks();
    if (is(kind, "DKParagraphIndentInspectorSlice")) {
        return named<StepperSlice>(kind, localized("Indent"),
                                   StepperSlice::Value{[this] { return toUtf16(std::to_string(m_indentSteps)); },
                                                       [this, &callbacks] {
                                                           m_indentSteps = std::max(0L, m_indentSteps - 1);
                                                           callbacks.setCurrentParagraphIndent(0);
                                                       },
                                                       [this, &callbacks] {
                                                           m_indentSteps = std::min(16L, m_indentSteps + 1);
                                                           callbacks.setCurrentParagraphIndent(1);
                                                       }});
    }
    struct Spacing {
        const char* kind;
        const char* title;
        double QVTextSliceFactory::*value;
        double step, minimum, maximum;
        void (QVTextStyleCallbacks::*apply)(double);
    };
    static const Spacing spacings[] = {
        {"DKParagraphLineSpacingInspectorSlice", "Line Spacing", &QVTextSliceFactory::m_lineSpacing, 0.5, 0.5, 5.0,
         &QVTextStyleCallbacks::setCurrenLineSpacing},
        {"DKParagraphSpacingInspectorSlice", "Paragraph Spacing", &QVTextSliceFactory::m_paragraphSpacing, 2.0, 0.0, 72.0,
         &QVTextStyleCallbacks::setCurrenParagraphSpacing},
        {"DKParagraphFirstLineIndentInspectorSlice", "First Line Indent", &QVTextSliceFactory::m_firstLineIndent, 0.25,
         0.0, 10.0, &QVTextStyleCallbacks::setCurrentFirstLineIndent},
    };
    for (const Spacing& spacing : spacings) {
        if (!is(kind, spacing.kind))
            continue;
        auto stepBy = [this, &callbacks, &spacing](double delta) {
            double& value = this->*spacing.value;
            value = std::clamp(value + delta, spacing.minimum, spacing.maximum);
            (callbacks.*spacing.apply)(value);
        };
        return named<StepperSlice>(kind, localized(spacing.title),
                                   StepperSlice::Value{[this, &spacing] { return fixed(this->*spacing.value); },
                                                       [stepBy, &spacing] { stepBy(-spacing.step); },
                                                       [stepBy, &spacing] { stepBy(spacing.step); }});
    }
    return nullptr;
}

std::shared_ptr<DKInspectorSlice> QVTextSliceFactory::marginSlice(const char* kind)
{
    using Getter = const std::optional<std::string>& (TextDocument::*)() const;
    using Setter = void (TextDocument::*)(std::optional<std::string>);
    struct Margin {
        const char* kind;
        const char* title;
        Getter get;
        Setter set;
    };
    static const Margin margins[] = {
        {"DKPageTopMarginSlice", "Top Margin", &TextDocument::docTopMargin, &TextDocument::setDocTopMargin},
        {"DKPageBottomMarginSlice", "Bottom Margin", &TextDocument::docBottomMargin, &TextDocument::setDocBottomMargin},
        {"DKPageLeftMarginSlice", "Left Margin", &TextDocument::docLeftMargin, &TextDocument::setDocLeftMargin},
        {"DKPageRightMarginSlice", "Right Margin", &TextDocument::docRightMargin, &TextDocument::setDocRightMargin},
    };
    for (const Margin& margin : margins) {
        if (!is(kind, margin.kind))
            continue;
        auto read = [this, &margin] {
            TextDocument* document = m_host.document ? m_host.document() : nullptr;
            const std::optional<std::string>& value = document ? (document->*margin.get)() : std::nullopt;
            return static_cast<double>(floatValue(value.value_or(TextDocument::kDefaultMargin)));
        };
        auto stepBy = [this, read, &margin](double delta) {
            TextDocument* document = m_host.document ? m_host.document() : nullptr;
            if (!document)
                return;
            (document->*margin.set)(formatInCLocale("%.2f", std::clamp(read() + delta, 0.0, 10.0)));
            run("applyDocumentMargins");
            dirty();
        };
        return named<StepperSlice>(kind, localized(margin.title),
                                   StepperSlice::Value{[read] { return fixed(read()) + u" cm"; },
                                                       [stepBy] { stepBy(-kMarginStep); }, [stepBy] { stepBy(kMarginStep); }});
    }
    return nullptr;
}

} // namespace folio
