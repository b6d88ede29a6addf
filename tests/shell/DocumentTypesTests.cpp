#include "shell/DocumentTypes.h"
#include "platform/docframework/TypeIdentifiers.h"

#include <gtest/gtest.h>

#include <set>

namespace folio {
namespace {

TEST(DocumentTypes, answersTheTypeIdentifiers)
{
    EXPECT_EQ(DocumentTypes::documentStoreDocumentTypeForNewFiles(), "public.rtf");
    EXPECT_EQ(DocumentTypes::documentStoreDocumentTypeForSketchFiles(), "com.tamrisk.pencilnote");
    EXPECT_EQ(DocumentTypes::documentStoreDocumentTypeForQVOutlineFiles(), "com.tamrisk.qvoutline");
}

// A file made under one of these types is listed again as that type by its
// extension, so a new document never turns into another kind.
TEST(DocumentTypes, filesMadeUnderATypeAreListedAsThatType)
{
    const std::pair<std::string, const char*> made[] = {
        {DocumentTypes::documentStoreDocumentTypeForNewFiles(), "new.rtf"},
        {DocumentTypes::documentStoreDocumentTypeForTeXFiles(), "new.tex"},
        {DocumentTypes::documentStoreDocumentTypeForQVTextFiles(), "new.qvtext"},
        {DocumentTypes::documentStoreDocumentTypeForQVOutlineFiles(), "new.qvoutline"},
        {DocumentTypes::documentStoreDocumentTypeForMarkdownFiles(), "new.md"},
        {DocumentTypes::documentStoreDocumentTypeForPDFFiles(), "new.pdf"},
    };
    std::set<std::string> types;
    for (const auto& [type, file] : made) {
        EXPECT_EQ(TypeIdentifiers::typeIdentifierForPath(file), type) << file;
        types.insert(type);
    }
    EXPECT_EQ(types.size(), std::size(made)) << "two kinds share a type";
}

} // namespace
} // namespace folio
