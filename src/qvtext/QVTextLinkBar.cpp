#include "qvtext/QVTextLinkBar.h"

#include "platform/foundation/HTMLTextEscaper.h"
#include "platform/foundation/Localization.h"
#include "platform/foundation/Unicode.h"
#include "platform/ui/Button.h"
#include "platform/ui/TextField.h"
#include "platform/ui/TextFieldDelegate.h"
#include "platform/ui/View.h"
#include "webeditor/PageConnection.h"

namespace folio {

namespace {

constexpr double kBarHeight = 44;

std::u16string linkBarText(const char* text)
{
    return toUtf16(Localization::localizedString(text));
}

class ReturnInserts : public TextFieldDelegate {
public:
    explicit ReturnInserts(std::function<void()> insert) : m_insert(std::move(insert)) {}
    bool textFieldShouldReturn(TextField&) override
    {
        m_insert();
        return false;
    }

private:
    std::function<void()> m_insert;
};

} // namespace

QVTextLinkBar::QVTextLinkBar(PageConnection& page, Host host)
    : m_page(page)
    , m_host(std::move(host))
    , m_bar(std::make_shared<View>(Rect{{0, 0}, {600, kBarHeight}}))
    , m_field(std::make_shared<TextField>())
    , m_insert(std::make_shared<Button>())
    , m_unlink(std::make_shared<Button>())
{
    m_field->setFrame(Rect{{4, 6}, {380, 32}});
    m_field->setPlaceholder(linkBarText("Web address"));
    m_fieldDelegate = std::make_shared<ReturnInserts>([this] { insertLinkInText(); });
    m_field->setDelegate(m_fieldDelegate);
    m_insert->setFrame(Rect{{392, 4}, {90, 36}});
    m_insert->setTitle(linkBarText("Insert Link"));
    m_insert->addAction(ControlEvent::TouchUpInside, [this](Control&) { insertLinkInText(); });
    m_unlink->setFrame(Rect{{486, 4}, {90, 36}});
    m_unlink->setTitle(linkBarText("Unlink"));
    m_unlink->addAction(ControlEvent::TouchUpInside, [this](Control&) { unLinkText(); });
    for (const std::shared_ptr<View>& part : std::initializer_list<std::shared_ptr<View>>{m_field, m_insert, m_unlink})
        m_bar->addSubview(part);
    m_bar->setHidden(true);
}

QVTextLinkBar::~QVTextLinkBar() = default;

bool QVTextLinkBar::isVisible() const
{
    return !m_bar->isHidden();
}

std::string QVTextLinkBar::linkAddress(const std::u16string& typed)
{
    std::string address = toUtf8(typed);
    if (address.rfind("http://", 0) == 0 || address.rfind("https://", 0) == 0)
        return address;
    return "http://" + address;
}

void QVTextLinkBar::showInsertLinkToolbar(const std::u16string& linkText)
{
    m_page.send(kBookmarkScript);
    if (m_host.run)
        m_host.run("removeCustomKeyboard");
    m_field->setText(linkText);
    m_unlink->setEnabled(!linkText.empty());
    m_bar->setHidden(false);
    if (m_host.barDidChange)
        m_host.barDidChange();
    m_field->becomeFirstResponder();
}

void QVTextLinkBar::hide()
{
    if (m_field->isFirstResponder())
        m_field->resignFirstResponder();
    m_bar->setHidden(true);
    if (m_host.barDidChange)
        m_host.barDidChange();
}

void QVTextLinkBar::insertLinkInText()
{
    std::u16string typed = m_field->text();
    hide();
    if (typed.empty())
        return;
    m_page.send("tinymce.activeEditor.selection.moveToBookmark(selectionBookmark);");
    std::string shown = HTMLTextEscaper::escape(toUtf8(typed));
    if (m_host.insertLinkHTML)
        m_host.insertLinkHTML("<a href=\"" + HTMLTextEscaper::escape(linkAddress(typed)) + "\">" + shown + "</a>");
    m_unlink->setEnabled(false);
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

void QVTextLinkBar::unLinkText()
{
    hide();
    m_page.send("tinymce.activeEditor.selection.moveToBookmark(selectionBookmark);");
    m_page.send(kUnlinkScript);
    if (m_host.documentIsDirty)
        m_host.documentIsDirty();
}

} // namespace folio
