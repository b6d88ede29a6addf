#include "formats/rtf/DKRTFNoteForm.h"

#include "formats/rtf/DKRTFGroupText.h"
#include "formats/rtf/DKRTFStyleSheet.h"
#include "platform/foundation/StringUtilities.h"
#include "platform/foundation/Unicode.h"

#include <algorithm>
#include <array>
#include <vector>

namespace folio {

namespace {

using rtfgrouptext::afterGroup;
using rtfgrouptext::ControlWord;
using rtfgrouptext::controlWordAt;
using rtfgrouptext::isLetter;

constexpr std::string_view kWord = "note";

std::size_t afterBlanks(std::string_view text, std::size_t at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\r' || text[at] == '\n'))
        ++at;
    return at;
}

} // namespace

DKRTFNoteForm::DKRTFNoteForm(const std::u16string& shownAs)
{
    DKRTFHeaderFooterForms::Group group;
    group.word = std::string(kWord);
    group.shownAs = toUtf8(shownAs);
    m_kept.groups.push_back(std::move(group));
}

bool DKRTFNoteForm::stillShows(std::u16string_view text) const
{
    const std::optional<std::string>& shown = m_kept.groups.front().shownAs;
    return shown && toUtf16(*shown) == text;
}

std::string DKRTFNoteForm::contentRTF(const std::function<std::optional<int>(int)>& font,
                                      const std::function<std::optional<int>(int)>& color) const
{
    return DKRTFStyleSheet::renumbered(content(), font, color);
}

DKRTFNoteForm::Looks DKRTFNoteForm::looksAtStart() const
{
    // The looks in force where the first letter stands: each group starts
    // with those of the group around it, "\plain" drops them, and groups
    // that are no text (a date, a bookmark) say nothing about the letters.
    const std::string_view text = content();
    std::vector<Looks> enclosing;
    Looks current;
    std::size_t at = 0;
    while (at < text.size()) {
        const char character = text[at];
        if (character == '{') {
            if (text.substr(at).starts_with("{\\*")) {
                at = afterGroup(text, at);
                continue;
            }
            enclosing.push_back(current);
            ++at;
        } else if (character == '}') {
            if (!enclosing.empty()) {
                current = enclosing.back();
                enclosing.pop_back();
            }
            ++at;
        } else if (character == '\r' || character == '\n') {
            ++at;
        } else if (character == '\\' && at + 1 < text.size() && isLetter(text[at + 1])) {
            const ControlWord word = controlWordAt(text, at);
            if (word.name == "u" && !word.parameter.empty())
                return current;
            if (word.name == "f" && !word.parameter.empty())
                current.font = static_cast<int>(integerValue(word.parameter));
            else if (word.name == "fs" && !word.parameter.empty())
                current.halfPoints = static_cast<int>(integerValue(word.parameter));
            else if (word.name == "plain")
                current = Looks{};
            at = word.end;
        } else if (character == '\\' && at + 1 < text.size() && text[at + 1] == '*') {
            at += 2;
        } else {
            // A letter, an escaped byte or an escaped symbol.
            return current;
        }
    }
    return current;
}

std::optional<DKRTFNoteForm> DKRTFNoteForm::fromSerialized(std::string_view text)
{
    DKRTFHeaderFooterForms kept = DKRTFHeaderFooterForms::fromSerialized(text);
    if (kept.groups.size() != 1 || kept.groups.front().word != kWord || !kept.groups.front().shownAs
        || !isBalanced(kept.groups.front().content))
        return std::nullopt;
    return DKRTFNoteForm(std::move(kept));
}

bool DKRTFNoteForm::isBalanced(std::string_view content)
{
    int depth = 0;
    for (std::size_t at = 0; at < content.size(); ++at) {
        if (content[at] == '\\')
            ++at;
        else if (content[at] == '{')
            ++depth;
        else if (content[at] == '}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

bool DKRTFNoteForm::isOwnForm(std::string_view content)
{
    // An endnote's word and the note's paragraph style come first.
    std::size_t at = afterBlanks(content, 0);
    while (at < content.size() && content[at] == '\\') {
        const ControlWord word = controlWordAt(content, at);
        if (word.name != "ftnalt" && word.name != "s")
            break;
        at = afterBlanks(content, word.end);
    }
    // Then the footnote's mark or the comment's reference.
    const std::string_view rest = content.substr(at);
    if (rest.starts_with("{\\chftn}") || rest.starts_with("{\\chftn }") || rest.starts_with("{\\*\\atnref"))
        at = afterGroup(content, at);
    else
        return false;
    // Then only the words the text's own characters are written with, and
    // leftovers of earlier versions ("\ul0", "\up0", "\*\atnref 1").
    static constexpr std::array<std::string_view, 12> kTextWords = {
        "u", "endash", "emdash", "lquote", "rquote", "ldblquote", "rdblquote", "bullet", "line", "tab", "par", "atnref"};
    for (; at < content.size(); ++at) {
        const char character = content[at];
        if (character == '{' || character == '}')
            return false;
        if (character != '\\' || at + 1 >= content.size())
            continue;
        if (!isLetter(content[at + 1])) {
            ++at;
            continue;
        }
        const ControlWord word = controlWordAt(content, at);
        const bool textWord = std::find(kTextWords.begin(), kTextWords.end(), word.name) != kTextWords.end();
        const bool leftover = (word.name == "ul" || word.name == "up") && word.parameter == "0";
        if (!textWord && !leftover)
            return false;
        at = word.end - 1;
    }
    return true;
}

} // namespace folio
