#include "shell/MDViewerViewController.h"

#include "platform/ui/NavigationController.h"
#include "platform/ui/ProgressHUD.h"
#include "platform/ui/TextView.h"
#include "platform/ui/UIThemes.h"

namespace folio {

MDViewerViewController::MDViewerViewController(AttributedString documentText)
    : m_documentText(std::move(documentText))
{
}

void MDViewerViewController::loadView()
{
    if (!m_textView) {
        m_textView = std::make_shared<TextView>(Rect{{0, 0}, {320, 480}});
        m_textView->setEditable(false);
    }
    setView(m_textView);
}

void MDViewerViewController::viewDidLoad()
{
    ViewController::viewDidLoad();
    m_textView->textStorage()->setAttributedString(m_documentText);
    if (NavigationController* navigation = navigationController())
        navigation->setNavigationBarColors(
            {UIThemes::DKDocumentViewTopToolBarBackgroundColor(), UIThemes::DKPickerNavigationBarTintColor()});
    ProgressHUD::dismiss();
}

} // namespace folio
