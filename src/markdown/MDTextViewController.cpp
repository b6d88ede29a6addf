#include "markdown/MDTextViewController.h"

#include "documents/TextDocument.h"
#include "formats/markdown/BKDMarkdown.h"
#include "markdown/MDTextViewBarItems.h"
#include "markdown/MEMarkdownTextView.h"
#include "platform/docframework/DKDocumentAppController.h"
#include "platform/docframework/DKKeyCommands.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/AlertController.h"
#include "platform/ui/BarButtonItem.h"
#include "platform/ui/Device.h"
#include "platform/ui/NavigationItem.h"

namespace folio {

std::shared_ptr<MDTextViewController> MDTextViewController::make(TextDocument& document, UserDefaults* defaults,
                                                                  PreviewAction preview)
{
    std::shared_ptr<MDTextViewController> controller(new MDTextViewController(document, defaults, std::move(preview)));
    controller->m_textView->setDelegate(controller);
    // Menu entries hold the controller weakly, which it can only give once it is shared.
    controller->m_barItems->regenerateToolsMenu();
    return controller;
}

MDTextViewController::MDTextViewController(TextDocument& document, UserDefaults* defaults, PreviewAction preview)
    : m_document(&document)
    , m_defaults(defaults)
    , m_preview(std::move(preview))
    , m_isTeXDocument(document.isTeXDocument())
{
    MDTextViewBarItems::Actions actions;
    actions.close = [this] { closeDocument(); };
    actions.undo = [this] { undoAction(); };
    actions.redo = [this] { redoAction(); };
    actions.preview = [this] { showPreview(); };
    actions.textStyle = [this] { showTextStyleInspector(); };
    actions.endEditing = [this] {
        if (m_textView)
            m_textView->resignFirstResponder();
    };
    actions.shareMenu = [] {
        auto* app = DKDocumentAppController::controller();
        return app ? app->exportMenuActions() : nullptr;
    };
    actions.toolsMenu = [this] {
        auto* app = DKDocumentAppController::controller();
        std::shared_ptr<Menu> menu = app ? app->toolMenuActions() : nullptr;
        return menu ? menu : toolsMenu();
    };
    m_barItems = std::make_unique<MDTextViewBarItems>(std::move(actions));
    loadViewIfNeeded();
    m_barItems->undoMDBarButtonItem()->setEnabled(false);
    m_barItems->redoMDBarButtonItem()->setEnabled(false);
}

MDTextViewController::~MDTextViewController()
{
    if (m_textView)
        m_textView->setDelegate({});
    if (m_researchBrowser)
        m_researchBrowser->setDelegate(nullptr);
}

UserDefaults& MDTextViewController::defaults() const
{
    return m_defaults ? *m_defaults : UserDefaults::standardUserDefaults();
}

void MDTextViewController::loadView()
{
    m_textView = std::make_shared<MEMarkdownTextView>(Rect{}, m_isTeXDocument, m_defaults);
    setView(m_textView);
    if (!m_forPreviewGeneration) {
        installBarItems();
        m_textView->installKeyBar();
    }
    if (defaults().boolForKey(MEMarkdownTextView::kWordCounterVisibleKey).value_or(false))
        m_textView->showWordCounter();
}

void MDTextViewController::installBarItems()
{
    const bool tablet = Device::current().isPad();
    auto* app = DKDocumentAppController::controller();
    std::shared_ptr<View> savingIndicator = app ? std::static_pointer_cast<View>(app->savingIndicator()) : nullptr;
    std::shared_ptr<NavigationItem> item = navigationItem();
    item->setLeftBarButtonItems(m_barItems->leftItems(tablet, savingIndicator));
    item->setRightBarButtonItems(m_barItems->rightItems(tablet, m_isTeXDocument));
}

void MDTextViewController::setIsTeXFormat(bool isTeX)
{
    m_isTeXDocument = isTeX;
    m_textView->setIsTeXFormat(isTeX);
    if (!m_forPreviewGeneration)
        navigationItem()->setRightBarButtonItems(m_barItems->rightItems(Device::current().isPad(), isTeX));
}

void MDTextViewController::setText(const std::u16string& text)
{
    m_textView->setText(text);
}

std::u16string MDTextViewController::text() const
{
    return m_textView->text();
}

std::string MDTextViewController::html() const
{
    BKDMarkdown converter(m_textView->text());
    return toUtf8(converter.html());
}

std::shared_ptr<View> MDTextViewController::textView()
{
    return m_textView;
}

bool MDTextViewController::documentIsDirty() const
{
    return m_document && m_document->hasUnsavedChanges();
}

void MDTextViewController::setScale(double scale)
{
    m_scale = scale;
    m_textView->setScale(scale);
}

void MDTextViewController::textViewDidChange(TextView&)
{
    if (m_document) {
        // The document takes the text when it reads it (to save, to close,
        // to export): a copy per key would cost milliseconds in a long text.
        m_document->textDidChangeInEditor();
        // Every edit counts, not only the first one after a save: a save that
        // is under way subtracts only the changes it wrote, so an edit made
        // while it runs keeps the document dirty and reaches the next save.
        m_document->updateChangeCount(DKDocument::ChangeKind::Done);
    }
    updateUndoItems();
}

void MDTextViewController::updateUndoItems()
{
    m_barItems->undoMDBarButtonItem()->setEnabled(m_textView->undoManager().canUndo());
    m_barItems->redoMDBarButtonItem()->setEnabled(m_textView->undoManager().canRedo());
}

// The text view reports an undone or redone change like any other edit, so
// the document hears of it through textViewDidChange.
void MDTextViewController::undoAction()
{
    m_textView->undoManager().undo();
    updateUndoItems();
}

void MDTextViewController::redoAction()
{
    m_textView->undoManager().redo();
    updateUndoItems();
}

void MDTextViewController::showPreview()
{
    if (m_preview)
        m_preview(*this);
}

void MDTextViewController::keepDocumentText()
{
    if (!m_document || m_document->text() == m_textView->text())
        return;
    m_document->setText(m_textView->text());
    m_document->updateChangeCount(DKDocument::ChangeKind::Done);
}

std::vector<std::shared_ptr<KeyCommand>> MDTextViewController::keyCommands() const
{
    // Bound weakly: a caller may keep the commands longer than the editor lives.
    std::weak_ptr<Responder> weak = const_cast<MDTextViewController*>(this)->weak_from_this();
    auto bind = [weak](void (MDTextViewController::*action)()) {
        return [weak, action] {
            if (auto strong = weak.lock())
                (static_cast<MDTextViewController&>(*strong).*action)();
        };
    };
    return DKKeyCommands::keyCommandsWithCategories({DKKeyCommands::kMarkdownTextCategory},
                                                    {{"undoAction", bind(&MDTextViewController::undoAction)},
                                                     {"redoAction", bind(&MDTextViewController::redoAction)},
                                                     {"showSearchTextMode", bind(&MDTextViewController::showSearchTextMode)}});
}

void MDTextViewController::willSaveCurrentDocument()
{
    keepDocumentText();
}

void MDTextViewController::didSaveCurrentDocument(bool saved)
{
    if (!saved)
        presentSaveFailure();
}

void MDTextViewController::presentSaveFailure()
{
    // A file another program changed has an alert of its own, which asks
    // which version to keep.
    if (m_document && m_document->fileChangedElsewhere())
        return;
    std::string reason = m_document && m_document->lastError() ? m_document->lastError()->message
                                                               : "The document could not be written.";
    auto alert = AlertController::make(toUtf16(Localization::localizedString("The Document Could Not Be Saved")),
                                       toUtf16(reason), AlertControllerStyle::Alert);
    alert->addAction(AlertAction::make(toUtf16(Localization::localizedString("OK")), AlertActionStyle::Default, {}));
    presentViewController(alert, true);
}

void MDTextViewController::closeDocument()
{
    auto* app = DKDocumentAppController::controller();
    if (!app)
        return;
    m_textView->setUserInteractionEnabled(false);
    std::weak_ptr<MDTextViewController> weakSelf = this->weakSelf();
    app->closeDocumentAndShowBrowser([weakSelf](Status closed) {
        auto self = weakSelf.lock();
        if (!self)
            return;
        self->m_textView->setUserInteractionEnabled(true);
        // The document stays open when its changes could not be saved.
        if (!closed)
            self->presentSaveFailure();
    });
}

void MDTextViewController::willCloseDocument()
{
    m_textView->willCloseDocument();
}

void MDTextViewController::documentDidClose()
{
    willCloseDocument();
    m_document = nullptr;
}

} // namespace folio
