#pragma once

#include "tools/pickers/CommandPickerController.h"
#include "tools/pickers/CommandPickerDelegates.h"
#include "tools/pickers/CommandPickerRows.h"

namespace folio {

// The command pickers that are nothing but their rows, their size and the
// delegate call they send. The tools, styles and font-size pickers have
// their own files.

class MiscToolsPickerController
    : public RowIndexPickerController<MiscToolsPickerDelegate, &MiscToolsPickerDelegate::miscToolsPickerOptionSelected> {
public:
    MiscToolsPickerController() : RowIndexPickerController(CommandPickerRows::miscTools(), {260, 396}, TextAlignment::Natural) {}
};

class MagicCursorPickerController
    : public RowIndexPickerController<MagicCursorPickerDelegate, &MagicCursorPickerDelegate::magicCursorOptionSelected> {
public:
    MagicCursorPickerController() : RowIndexPickerController(CommandPickerRows::magicCursor(), {260, 830}, TextAlignment::Natural) {}
};

class AlignPickerController : public RowIndexPickerController<AlignPickerDelegate, &AlignPickerDelegate::alignSelected> {
public:
    AlignPickerController() : RowIndexPickerController(CommandPickerRows::aligns(), {230, 264}, TextAlignment::Natural) {}
};

class ImagePickerController : public RowIndexPickerController<ImagePickerDelegate, &ImagePickerDelegate::imageOptionSelected> {
public:
    ImagePickerController() : RowIndexPickerController(CommandPickerRows::images(), {250, 132}, TextAlignment::Natural) {}
};

class ReplacePickerController
    : public RowIndexPickerController<ReplacePickerDelegate, &ReplacePickerDelegate::replaceOptionSelected> {
public:
    ReplacePickerController() : RowIndexPickerController(CommandPickerRows::replace(), {190, 44}, TextAlignment::Natural) {}

protected:
    // "Replace All" is the document framework's own text.
    std::u16string titleForKey(std::string_view key) const override;
};

} // namespace folio
