#include "platform/foundation/Localization.h"

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Resources.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace folio {
namespace {

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment()
    {
        if (m_old)
            setenv(m_name, m_old->c_str(), 1);
        else
            unsetenv(m_name);
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

class LocalizationTest : public testing::Test {
protected:
    void SetUp() override
    {
        Localization::clearCache();
        write("de.lproj/Localizable.strings",
            "/* Buttons */\n\"Cancel\" = \"Abbrechen\";\n// line comment\n\"Quote\" = \"Sag \\\"Hallo\\\"\\n\";\n"
            "\"Broken\" = ;\n\"Smile\" = \"\\UD83D\\UDE00 \\U00e9\";\n");
        write("en.lproj/Localizable.strings", "\"Cancel\" = \"Cancel\";\n\"OnlyEnglish\" = \"English text\";\n");
        write("en.lproj/Menus.strings", "\"Cancel\" = \"Close menu\";\n");
    }
    void TearDown() override { Localization::clearCache(); }

    void write(const std::string& name, const std::string& text)
    {
        std::string path = m_folder.file(name);
        ASSERT_TRUE(FileManager::createDirectory(std::filesystem::path(path).parent_path().string()));
        ASSERT_TRUE(FileManager::writeAtomically(path, text));
    }

    test::ScratchFolder m_folder;
    ScopedEnvironment m_resources{"FOLIO_RESOURCES", m_folder.path()};
    ScopedEnvironment m_language{"LANGUAGE", "de_AT:fr"};
};

TEST_F(LocalizationTest, PrefersTheUsersLanguageThenEnglish)
{
    EXPECT_EQ(Localization::localizedString("Cancel", "Cancel"), "Abbrechen");
    EXPECT_EQ(Localization::localizedString("OnlyEnglish"), "English text");
    EXPECT_EQ(Localization::localizedString("Cancel", "", "Menus"), "Close menu");
}

TEST_F(LocalizationTest, MissingKeysAnswerTheDefaultOrTheKey)
{
    EXPECT_EQ(Localization::localizedString("Nowhere", "Fallback"), "Fallback");
    EXPECT_EQ(Localization::localizedString("Nowhere"), "Nowhere");
    EXPECT_EQ(Localization::localizedString("Cancel", "x", "NoSuchTable"), "x");
}

TEST_F(LocalizationTest, ParsesEscapesAndSkipsBrokenEntries)
{
    EXPECT_EQ(Localization::localizedString("Quote"), "Sag \"Hallo\"\n");
    EXPECT_EQ(Localization::localizedString("Smile"), "😀 é");
    EXPECT_EQ(Localization::localizedString("Broken", "kept"), "kept");
}

TEST_F(LocalizationTest, ReadsUtf16Tables)
{
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("\"Yes\" = \"Ja\";"))
        utf16 += std::string{c, '\0'};
    write("de.lproj/Alerts.strings", utf16);
    EXPECT_EQ(Localization::localizedString("Yes", "", "Alerts"), "Ja");
}

TEST_F(LocalizationTest, LanguagesComeFromTheEnvironment)
{
    auto languages = Localization::preferredLanguages();
    ASSERT_GE(languages.size(), 4u);
    EXPECT_EQ(languages[0], "de_AT");
    EXPECT_EQ(languages[1], "de");
    EXPECT_EQ(languages[2], "fr");
    EXPECT_EQ(languages.back(), "Base");
}

TEST_F(LocalizationTest, ResourcesAreFoundOnlyInsideTheFolder)
{
    write("pages/rte.html", "<html/>");
    EXPECT_EQ(Resources::pathForResource("rte", "html", "pages"), m_folder.file("pages/rte.html"));
    EXPECT_EQ(Resources::pathForResource("rte.html", "", "pages"), m_folder.file("pages/rte.html"));
    EXPECT_FALSE(Resources::pathForResource("missing", "html", "pages"));
    EXPECT_FALSE(Resources::pathForResource("../pages/rte", "html", "de.lproj"));
    EXPECT_FALSE(Resources::pathForResource("rte", "html", "/etc"));
}

TEST(Resources, DefaultFolderIsBesideTheExecutable)
{
    const char* overridden = std::getenv("FOLIO_RESOURCES");
    std::optional<std::string> saved = overridden ? std::optional<std::string>(overridden) : std::nullopt;
    unsetenv("FOLIO_RESOURCES");
    std::string folder = Resources::resourcesFolder();
    if (saved)
        setenv("FOLIO_RESOURCES", saved->c_str(), 1);
    auto executable = std::filesystem::read_symlink("/proc/self/exe");
    EXPECT_EQ(folder, (executable.parent_path() / "resources").string());
}

} // namespace
} // namespace folio
