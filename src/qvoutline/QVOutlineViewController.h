#pragma once

#include "qvoutline/QVOutlineUndoRefresh.h"
#include "qvtext/QVTextViewController.h"

namespace folio {

class Button;

// The editor of QV outline documents: the QV text editor on the outline
// page, where the document is a tree of branches kept sortable by jQuery UI
// (resources/pages/qvoutline.html and qvoutline.js). It becomes ready from
// the injected poller, sets its own body font, and puts the caret into the
// first branch of a new outline.
class QVOutlineViewController final : public QVTextViewController {
public:
    static constexpr const char* kTemplateResource = "qvoutline.html";
    static constexpr const char* kBodyFontFamily = "Arial";
    static constexpr int kBodyFontSize = 14;
    // The body is this much narrower than the view.
    static constexpr double kBodyWidthInset = 32;
    static constexpr double kPhoneLandscapeBodyWidthInset = 180;

    QVOutlineViewController(TextDocument& document, WebViewFactory factory = {}, LinkOpener openLink = {});
    ~QVOutlineViewController() override;

    Result<std::string> pageHTML() const override;

    // Tree commands sent to the page. The text goes into the page as a
    // script literal, so quotes in it stay text.
    void addNewBranchWithContent(const std::string& text);
    void calculateSiblingDistances();

    // The writing assistant. On opening, the page notes whether the outline
    // was being edited; the answer then goes where the selection was (after
    // it, unless the insertion type is 2, which replaces it), or, when the
    // outline was not being edited, into a new branch. The page's own dirty
    // event marks the change.
    void rememberEditingBeforeAssistant();
    void AI_LeafcraftViewController_insertText(const std::string& text, const std::string& htmlText,
                                               unsigned long insertionType);
    // What the assistant prepared while no editor was open (markup) becomes
    // a new branch holding its text.
    void addContentFromWisperant(const std::string& html);

    // The body's width for a view of `size`: a phone in landscape leaves room
    // beside the tree, everything else the same narrow margin as on opening.
    static double bodyWidthForSize(Size size, bool phoneInLandscape);

    // The bar's undo and redo items. They start disabled, since until the
    // page has told what it can undo there is nothing to offer, and follow
    // the page's undo history a little after every change.
    const std::shared_ptr<BarButtonItem>& undoBarButtonItem();
    const std::shared_ptr<BarButtonItem>& redoBarButtonItem();
    void updateUndoRedoButtons() { m_undoRefresh.updateUndoRedoButtons(); }
    void documentDidClose() override;

    // A hidden button whose touch-down opens the outline's hidden menu; it
    // is given no menu of its own, and nothing in the editor shows it yet.
    const std::shared_ptr<Button>& dummyInvisibleButton();
    void showDummyInvisibleButtonMenu();

    // The edit menu: the QV text editor's rules with the outline's own for
    // the assistant, highlighting, reading aloud and sketches.
    bool canPerformAction(const std::string& action, const void* sender) const override;

    // PageBridgeClient
    void pageDidBecomeReady() override;

    // A stored body style without a text zoom of 150 or 200 percent: a zoom
    // saved with the page does not come back on opening.
    static std::string withoutSavedTextZoom(const std::string& style);

    // How the outline's bar and tools differ from the QV text editor's:
    // its groups' names, its placement where the outline has its own, and
    // the source type it tells the assistant.
    static QVTextTools::Dialect outlineToolsDialect();

protected:
    QVTextTools::Dialect toolsDialect() const override;
    void viewDidLoad() override;
    // A content without the tree is not an outline: the page answered
    // before its tree was up, or something broke it.
    std::optional<Error> contentProblem(const EditorContent& content) const override;
    // A new outline takes only the top and bottom page margins: its
    // branches set their own indents and spacing.
    std::vector<std::string> newBlankDocumentScripts(const QVTextPageSetup::Settings& settings) const override;
    std::optional<std::string> bodyStyleToRestore(std::optional<std::string> stored) const override;
    void viewWillTransitionToSize(Size size) override;
    std::string pictureHTML(const std::string& base64, Size size, bool rightToLeft) const override;
    std::vector<MenuItem> imageMenuItems() const override;

private:
    void registerOutlineRoutes();
    void sendBodyWidth();
    void setUndoItemsEnabled(bool canUndo, bool canRedo);

    QVOutlineUndoRefresh m_undoRefresh;
    std::shared_ptr<Button> m_dummyInvisibleButton;
};

} // namespace folio
