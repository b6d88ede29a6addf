#pragma once

#include "markdown/MEMarkdownSyntaxStorage.h"
#include "platform/foundation/ScratchFolder.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/FakeFontCatalog.h"
#include "platform/text/FontAttributeValue.h"
#include "platform/text/TextAttributeNames.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace folio::test {

// Private settings and the fixed font catalogue, so highlighting looks the
// same on every machine.
class MarkdownStorageTest : public testing::Test {
protected:
    std::shared_ptr<MEMarkdownSyntaxStorage> makeStorage(bool tex = false)
    {
        auto storage = std::make_shared<MEMarkdownSyntaxStorage>(&defaults, catalog);
        storage->setIsTeXSyntax(tex);
        return storage;
    }

    static const Font* fontAt(TextStorage& storage, std::size_t index)
    {
        auto value = storage.attributeAtIndex(TextAttributeName::Font, index);
        return value && value->as<FontAttributeValue>() ? &value->as<FontAttributeValue>()->font() : nullptr;
    }
    static std::string fontNameAt(TextStorage& storage, std::size_t index)
    {
        const Font* font = fontAt(storage, index);
        return font ? font->postScriptName() : "";
    }
    static double fontSizeAt(TextStorage& storage, std::size_t index)
    {
        const Font* font = fontAt(storage, index);
        return font ? font->pointSize() : 0;
    }
    static std::optional<Color> colorAt(TextStorage& storage, std::string_view key, std::size_t index)
    {
        auto value = storage.attributeAtIndex(key, index);
        if (!value || !value->as<ColorValue>())
            return std::nullopt;
        return value->as<ColorValue>()->color();
    }

    ScratchFolder folder;
    UserDefaults defaults{folder.file("Preferences.plist")};
    std::shared_ptr<FakeFontCatalog> catalog = std::make_shared<FakeFontCatalog>();
};

} // namespace folio::test
