#pragma once

#include "platform/foundation/Range.h"
#include "platform/text/AttributeDictionary.h"

#include <gtk/gtk.h>

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace folio {

class TextStorage;

// The looks of a text storage's runs as tags of a GTK text buffer: one tag
// per distinct look, shared by every run that has it. Bringing a range up to
// date changes only the characters whose tags differ from their runs' looks:
// GTK lays out and draws again every line under a tag it applies or removes,
// so a restyle that changed one run, or none, costs no more than that.
// Tags made elsewhere (found matches) are left where they are.
class GtkTextLooks {
public:
    // What the buffer holds over a range that is to be brought up to date.
    enum class Present { NoLooks, EarlierLooks };

    // `outlineMarker` goes with every look that draws outlined letters.
    GtkTextLooks(GtkTextBuffer* buffer, GtkTextTag* outlineMarker);

    // Gives the storage's range, whose first character is the buffer's
    // character `firstCharacter`, its runs' looks.
    void show(const TextStorage& storage, Range range, std::size_t firstCharacter, Present present);

private:
    struct Span {
        std::size_t from = 0;
        std::size_t to = 0;
        GtkTextTag* look = nullptr;
    };

    // The buffer's characters with the looks wanted there, neighbours of one
    // look joined.
    std::vector<Span> wantedSpans(const TextStorage& storage, Range range, std::size_t firstCharacter);
    // The parts of span whose tags of ours are not the span's look, each
    // with the tags of ours it has.
    std::vector<std::pair<Span, std::vector<GtkTextTag*>>> differingParts(const Span& span) const;
    // Takes the tags of ours that `present` names off the span, but for its
    // look, and puts its look on.
    void giveLook(const Span& span, const std::vector<GtkTextTag*>& present);
    bool isOurs(GtkTextTag* tag) const;
    bool isOutlined(GtkTextTag* look) const;
    // The tag of a run's dictionary, remembered by the dictionary's contents
    // (a restyle hands out new dictionaries equal to the old ones), since
    // working a look out spells the whole look out as a string.
    GtkTextTag* lookOf(const AttributeDictionaryPtr& attributes);
    GtkTextTag* tagFor(const AttributeDictionary& attributes);

    GtkTextBuffer* m_buffer;
    GtkTextTag* m_outlineMarker;
    std::map<std::string, GtkTextTag*> m_tags;
    struct ContentsHash {
        std::size_t operator()(const AttributeDictionaryPtr& attributes) const { return attributes->hash(); }
    };
    struct ContentsEqual {
        bool operator()(const AttributeDictionaryPtr& a, const AttributeDictionaryPtr& b) const { return attributeDictionariesEqual(a, b); }
    };
    std::unordered_map<AttributeDictionaryPtr, GtkTextTag*, ContentsHash, ContentsEqual> m_looksOfDictionaries;
};

} // namespace folio
