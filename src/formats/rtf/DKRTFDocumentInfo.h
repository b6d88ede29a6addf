#pragma once

#include "formats/rtf/DKRTFObjectReader.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace folio {

class DKRTFDataBuffer;

// What a word processor says of a document beside its text ("\info"): its
// title, author, subject and other words, when it was made, revised and
// printed, and its counts; and the properties its users named themselves
// ("\userprops"). Folio shows none of it; it is kept so that a save gives the
// file its information back, as it came and in its order.
class DKRTFDocumentInfo {
public:
    enum class Kind { Text, Time, Number };
    struct Entry {
        std::string word;
        Kind kind = Kind::Text;
        // Written after "\*" ("{\*\company ...}"), as the file had it.
        bool ignorable = false;
        std::u16string text;
        // "\yr", "\mo", "\dy", "\hr", "\min", "\sec" of a time, where given.
        std::array<std::optional<int>, 6> time;
        int number = 0;
        friend bool operator==(const Entry&, const Entry&) = default;
    };
    struct UserProperty {
        std::u16string name;
        // "\proptype": 3 a whole number, 5 a number, 7 a date, 11 yes or
        // no, 30 text, or whatever else the writer gave.
        std::optional<int> type;
        // "\staticval", in the words the file gave it.
        std::optional<std::u16string> value;
        // "\linkval": the bookmark whose text the property shows, kept so
        // that the property stays linked to it.
        std::optional<std::u16string> linkedBookmark;
        friend bool operator==(const UserProperty&, const UserProperty&) = default;
    };

    // The content of an "{\info ...}" group after its word, up to its
    // closing brace; groups it does not know, and values it cannot carry,
    // are passed over.
    static DKRTFDocumentInfo read(std::u16string_view content, const DKRTFObjectReader::ByteDecoder& decoder);
    // Adds the properties of a "{\*\userprops ...}" group, given its content
    // after its word; a property without a name is passed over.
    void readUserProperties(std::u16string_view content, const DKRTFObjectReader::ByteDecoder& decoder);
    // Adds what `other` holds after what this holds.
    void append(DKRTFDocumentInfo other);

    const std::vector<Entry>& entries() const { return m_entries; }
    const std::vector<UserProperty>& userProperties() const { return m_userProperties; }
    bool isEmpty() const { return m_entries.empty() && m_userProperties.empty(); }

    // The groups, "{\info{\title ...}...}" and beside it
    // "{\*\userprops ...}", their words escaped.
    void write(DKRTFDataBuffer& buffer) const;
    // The written group: the form the document keeps it in while open.
    std::string serialized() const;
    // Only what reading the form gives back, so a value changed by hand
    // writes no more than well-formed information.
    static DKRTFDocumentInfo fromSerialized(std::string_view text);

    friend bool operator==(const DKRTFDocumentInfo&, const DKRTFDocumentInfo&) = default;

private:
    void writeInformationGroup(DKRTFDataBuffer& buffer) const;

    std::vector<Entry> m_entries;
    std::vector<UserProperty> m_userProperties;
};

} // namespace folio
