#include "platform/graphics/FakeFontCatalog.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Label.h"
#include "platform/ui/NavigationController.h"
#include "platform/ui/TableView.h"
#include "platform/ui/TableViewCell.h"
#include "tools/textstyle/PageSizeSelectTableViewController.h"
#include "tools/textstyle/TSBgColourSelectTableViewController.h"
#include "tools/textstyle/TSColourBlockView.h"
#include "tools/textstyle/TSColourSelectTableViewController.h"
#include "tools/textstyle/TSFontSelectTableViewController.h"
#include "tools/textstyle/TSUpDownControl.h"

#include <gtest/gtest.h>

namespace folio {
namespace {

std::u16string checkOf(TableView& table, std::size_t row)
{
    auto cell = table.cellForRowAtIndexPath({0, row});
    for (const auto& subview : cell->subviews()) {
        auto label = std::dynamic_pointer_cast<Label>(subview);
        if (label && label->frame().minX() < 20)
            return label->text();
    }
    return u"?";
}

std::u16string nameOf(TableView& table, std::size_t row)
{
    auto cell = table.cellForRowAtIndexPath({0, row});
    auto label = std::dynamic_pointer_cast<Label>(cell->subviews().back());
    return label ? label->text() : u"?";
}

struct ListsRecorder : TSColourSelectTableViewControllerDelegate, TSBgColourSelectTableViewControllerDelegate,
                  PageSizeSelectTableViewControllerDelegate, TSFontSelectTableViewControllerDelegate {
    std::vector<std::string> picks;
    void colourSelectTableViewControllerDidSelectColour(TSColourSelectTableViewController&, const std::string& c) override { picks.push_back("text " + c); }
    void colourSelectTableViewControllerDidSelectBackgroundColour(TSBgColourSelectTableViewController&, const std::string& c) override { picks.push_back("paper " + c); }
    void pageSizeSelectTableViewControllerDidSelectSize(PageSizeSelectTableViewController&, const std::string& s) override { picks.push_back("size " + s); }
    void fontSelectTableViewControllerDidSelectFont(TSFontSelectTableViewController&, const FontChoice& f) override
    {
        picks.push_back("font " + f.fontName + " " + std::to_string(static_cast<int>(f.pointSize)));
    }
    void showiTunesFileBrowser() override { picks.push_back("install"); }
};

TEST(TextStyleListsTest, colourListsShowTheirNamesAndTickEveryNameOfTheChosenColour)
{
    auto recorder = std::make_shared<ListsRecorder>();
    auto text = std::make_shared<TSColourSelectTableViewController>();
    text->setDelegate(recorder);
    text->setSelectedColour("gray");
    auto table = text->tableView();
    text->loadViewIfNeeded();
    table->reloadData();
    ASSERT_EQ(table->numberOfRowsInSection(0), 125u);
    EXPECT_EQ(text->title(), u"Text Color");
    EXPECT_EQ(nameOf(*table, 0), u"black");
    EXPECT_EQ(nameOf(*table, 124), u"yellowgreen");
    EXPECT_EQ(checkOf(*table, 2), u"\u2714");
    EXPECT_EQ(checkOf(*table, 3), u"");

    auto paper = std::make_shared<TSBgColourSelectTableViewController>();
    paper->setDelegate(recorder);
    paper->setTitle(u"Page");
    paper->setSelectedColour("DarkSlateGray");
    paper->loadViewIfNeeded();
    auto paperTable = paper->tableView();
    paperTable->reloadData();
    ASSERT_EQ(paperTable->numberOfRowsInSection(0), 127u);
    EXPECT_EQ(paper->title(), u"Page");
    auto names = paper->availableColours();
    auto gray = std::find(names.begin(), names.end(), "darkslategray") - names.begin();
    EXPECT_EQ(names[gray + 1], "darkslategrey");
    EXPECT_EQ(checkOf(*paperTable, gray), u"\u2714");
    EXPECT_EQ(checkOf(*paperTable, gray + 1), u"\u2714");
    auto swatch = std::dynamic_pointer_cast<TSColourBlockView>(paperTable->cellForRowAtIndexPath({0, 0})->subviews().front());
    ASSERT_TRUE(swatch);
    EXPECT_EQ(swatch->colour(), Color::colorWithRed(0, 0, 0));

    text->tableView()->tapRowAtIndexPath({0, 6});
    paperTable->tapRowAtIndexPath({0, 126});
    EXPECT_EQ(recorder->picks, (std::vector<std::string>{"text red", "paper yellowgreen"}));
    EXPECT_EQ(checkOf(*table, 6), u"\u2714");
}

TEST(TextStyleListsTest, paperSizesRunFromLetterToTheEnvelope)
{
    auto recorder = std::make_shared<ListsRecorder>();
    auto sizes = std::make_shared<PageSizeSelectTableViewController>();
    sizes->setDelegate(recorder);
    sizes->setSelectedSize("A4");
    sizes->loadViewIfNeeded();
    auto table = sizes->tableView();
    table->reloadData();
    ASSERT_EQ(table->numberOfRowsInSection(0), 65u);
    EXPECT_EQ(sizes->title(), u"Paper Sizes");
    EXPECT_EQ(sizes->availableSizes().front(), "Letter");
    EXPECT_EQ(sizes->availableSizes()[36], "C0");
    EXPECT_EQ(sizes->availableSizes().back(), "DL Envelope Landscape");
    EXPECT_EQ(checkOf(*table, 16), u"\u2714");
    table->tapRowAtIndexPath({0, 64});
    EXPECT_EQ(recorder->picks, (std::vector<std::string>{"size DL Envelope Landscape"}));
    EXPECT_EQ(sizes->preferredContentSize(), (Size{320, 575}));
}

TEST(TextStyleListsTest, fontFamiliesOfferTheirFacesAndKeepTheSize)
{
    auto catalog = std::make_shared<FakeFontCatalog>();
    FontFace single;
    single.postScriptName = "Zapfino";
    single.familyName = "Zapfino";
    single.fullName = "Zapfino";
    single.styleName = "Regular";
    catalog->addFace(single, FontMetrics{0.9, 0.3, 0, -0.1, 0.05, 0.5, 0.7});
    FontCatalog::setShared(catalog);

    auto recorder = std::make_shared<ListsRecorder>();
    auto families = std::make_shared<TSFontSelectTableViewController>();
    auto navigation = NavigationController::withRootViewController(families);
    families->setDelegate(recorder);
    families->setSelectedFont(FontChoice{"Georgia-Italic", 20});
    families->loadViewIfNeeded();
    auto table = families->tableView();
    table->reloadData();
    const auto& names = families->fontFamilyNames();
    auto row = [&](const char* family) { return std::size_t(std::find(names.begin(), names.end(), family) - names.begin()); };
    EXPECT_LT(row("Avenir"), row("Chalkboard SE"));
    EXPECT_EQ(checkOf(*table, row("Georgia")), u"\u2714");
    EXPECT_EQ(table->cellForRowAtIndexPath({0, row("Zapfino")})->accessoryType(), TableViewCellAccessoryType::None);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, row("Georgia")})->accessoryType(),
              TableViewCellAccessoryType::DetailDisclosureButton);

    table->tapRowAtIndexPath({0, row("Zapfino")});
    ASSERT_TRUE(table->tapAccessoryButtonForRowAtIndexPath({0, row("Courier")}));
    auto faces = std::dynamic_pointer_cast<TSFontStyleSelectTableViewController>(navigation->topViewController());
    ASSERT_TRUE(faces);
    faces->loadViewIfNeeded();
    faces->tableView()->reloadData();
    EXPECT_EQ(faces->fontNames(), (std::vector<std::string>{"Courier", "Courier-Bold", "Courier-BoldOblique", "Courier-Oblique"}));
    faces->tableView()->tapRowAtIndexPath({0, 1});
    families->installNewFont();
    EXPECT_EQ(recorder->picks, (std::vector<std::string>{"font Zapfino 20", "font Courier-Bold 20", "install"}));
    EXPECT_EQ(families->selectedFont(), (FontChoice{"Courier-Bold", 20}));
    FontCatalog::setShared(nullptr);
}

TEST(UpDownControlDrawingTest, theArrowAtALimitIsDrawnLight)
{
    auto stepper = std::make_shared<TSUpDownControl>(makeRect(0, 0, 150, 52));
    stepper->setMinimumAllowedValue(9);
    stepper->setMaximumAllowedValue(460);
    stepper->setValue(9);
    auto context = GraphicsContext::imageContext(Size{150, 52});
    ASSERT_TRUE(context);
    stepper->drawRect(**context, stepper->bounds());
    auto image = (*context)->makeImage();
    ASSERT_TRUE(image);
    // The arrows sit 22 points from the right, at a quarter and three quarters of the height.
    EXPECT_NEAR((*image)->pixelAt(128, 14).r, 105, 3);
    EXPECT_NEAR((*image)->pixelAt(128, 40).r, 195, 3);

    auto swatch = std::make_shared<TSColourBlockView>(makeRect(0, 0, 40, 20));
    swatch->setColour(Color::colorWithRed(1, 0, 0));
    auto swatchContext = GraphicsContext::imageContext(Size{40, 20});
    swatch->drawRect(**swatchContext, swatch->bounds());
    auto swatchImage = (*swatchContext)->makeImage();
    auto centre = (*swatchImage)->pixelAt(20, 10);
    EXPECT_EQ(std::tuple(centre.r, centre.g, centre.b, centre.a), std::tuple(255, 0, 0, 255));
}

} // namespace
} // namespace folio

#include "documents/PageSizes.h"
#include "tools/textstyle/TextStyleLists.h"

namespace folio {
namespace {

TEST(PaperSizeNamesTest, everyPaperThePopoverOffersHasItsOwnSize)
{
    const std::vector<std::string>& names = paperSizeNames();
    EXPECT_EQ(names.size(), PageSizes::allPageSizes().size());
    for (const std::string& name : names)
        EXPECT_TRUE(PageSizes::sizeForName(name).has_value()) << name;
}

} // namespace
} // namespace folio
