#pragma once

#include <optional>
#include <string>

namespace folio {

class WebView;

// What each command picker reports, and to whom: the row index of the chosen
// row (the font-size picker: the row's text). The editor decides what a row
// does and whether the picker closes.

class ToolsPickerDelegate {
public:
    virtual ~ToolsPickerDelegate() = default;
    virtual void toolsOptionSelected(long option) = 0;
    // The page, asked whether it is reading aloud; may be null.
    virtual WebView* webViewEditor() = 0;
    // The editor's own answer when it reads aloud with the desktop's
    // speech rather than the page's; none lets the page be asked.
    virtual std::optional<bool> isReadingAloud() { return std::nullopt; }
};

class MiscToolsPickerDelegate {
public:
    virtual ~MiscToolsPickerDelegate() = default;
    virtual void miscToolsPickerOptionSelected(long option) = 0;
};

class MagicCursorPickerDelegate {
public:
    virtual ~MagicCursorPickerDelegate() = default;
    virtual void magicCursorOptionSelected(long option) = 0;
    // The older fourteen-option form; the picker never sends it.
    virtual void magicCursorOptionSelected2(long option) = 0;
};

class OtherPickerDelegate {
public:
    virtual ~OtherPickerDelegate() = default;
    virtual void optionSelected(long option) = 0;
};

class FontSizePickerDelegate {
public:
    virtual ~FontSizePickerDelegate() = default;
    virtual void sizeSelected(const std::string& size) = 0;
};

class AlignPickerDelegate {
public:
    virtual ~AlignPickerDelegate() = default;
    virtual void alignSelected(long option) = 0;
};

class ImagePickerDelegate {
public:
    virtual ~ImagePickerDelegate() = default;
    virtual void imageOptionSelected(long option) = 0;
};

class ReplacePickerDelegate {
public:
    virtual ~ReplacePickerDelegate() = default;
    virtual void replaceOptionSelected(long option) = 0;
};

} // namespace folio
