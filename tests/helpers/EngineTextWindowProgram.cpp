// Another program for the window tests: a window of the engine's own text
// view, for a screen reader in the test's process to read as it reads any
// program on the desktop.
//
//   folio_test_engine_text_window
//
// The window shows two paragraphs: "Plain", "green" and "blue" in three
// colours, then "Read " and a link "the manual", and a dictation
// placeholder, whose dots are a view of their own. The program quits when
// its standard input closes, so a test that fails cannot leave it behind.

#include "engine/attachments/TEDictationPlaceholderTextAttachment.h"
#include "engine/display/TEAttributedTextView.h"
#include "engine/model/TEAttributeKeys.h"
#include "engine/model/TEEmbeddedObjectRunDelegate.h"
#include "platform/gtk/GtkPresenter.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/MutableAttributedString.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <glib.h>

#include <cstdio>
#include <optional>
#include <string>

namespace {

using namespace folio;

AttributeDictionaryPtr styled(const Color& colour, std::optional<std::string> link = std::nullopt)
{
    std::vector<AttributeDictionary::Entry> entries{
        {std::string(kCTFontAttributeName), FontAttributeValue::make(*Font::fontWithName("DejaVu Sans", 24))},
        {std::string(kCTForegroundColorAttributeName), ColorValue::make(colour)}};
    if (link)
        entries.emplace_back(std::string(TELinkAttribute), URLValue::make(*link));
    return AttributeDictionary::make(entries);
}

std::shared_ptr<const AttributedString> text()
{
    auto string = std::make_shared<MutableAttributedString>(u"Plain ", styled(Color::colorWithWhite(0)));
    string->appendAttributedString(AttributedString(u"green ", styled(Color::colorWithRed(0, 0.5, 0))));
    string->appendAttributedString(AttributedString(u"blue\n", styled(Color::colorWithRed(0, 0, 1))));
    string->appendAttributedString(AttributedString(u"Read ", styled(Color::colorWithWhite(0))));
    string->appendAttributedString(
        AttributedString(u"the manual", styled(Color::colorWithRed(0, 0, 1), "https://example.org/manual")));
    auto attachment = std::make_shared<TEDictationPlaceholderTextAttachment>();
    std::vector<AttributeDictionary::Entry> entries{
        {std::string(NSAttachmentAttributeName), attachment},
        {std::string(kCTRunDelegateAttributeName), createEmbeddedObjectRunDelegate(attachment)}};
    string->appendAttributedString(AttributedString(u"\uFFFC", AttributeDictionary::make(entries)));
    return string;
}

gboolean inputClosed(GIOChannel*, GIOCondition, gpointer loop)
{
    g_main_loop_quit(static_cast<GMainLoop*>(loop));
    return FALSE;
}

} // namespace

int main()
{
    auto presenter = GtkPresenter::create();
    if (!presenter) {
        std::fprintf(stderr, "%s\n", presenter.error().message.c_str());
        return 1;
    }
    auto view = std::make_shared<TEAttributedTextView>(makeRect(0, 0, 400, 200));
    view->setAttributedString(text());
    auto controller = std::make_shared<ViewController>();
    auto root = std::make_shared<View>(makeRect(0, 0, 400, 200));
    root->addSubview(view);
    controller->setView(root);
    auto window = std::make_shared<Window>(makeRect(0, 0, 400, 200));
    window->setRootViewController(controller);
    window->makeKeyAndVisible();

    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    GIOChannel* input = g_io_channel_unix_new(0);
    g_io_add_watch(input, GIOCondition(G_IO_HUP | G_IO_ERR | G_IO_IN), inputClosed, loop);
    g_main_loop_run(loop);
    g_io_channel_unref(input);
    g_main_loop_unref(loop);
    window->close();
    return 0;
}
