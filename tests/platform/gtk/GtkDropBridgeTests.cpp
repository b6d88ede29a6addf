#include "platform/gtk/GtkDropBridge.h"

#include "platform/graphics/Image.h"
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace folio {
namespace {

// A folder of the test's own, removed with it.
struct ScratchFolder {
    explicit ScratchFolder(const char* name) : root(g_dir_make_tmp((std::string(name) + "-XXXXXX").c_str(), nullptr)) {}
    ~ScratchFolder() { std::filesystem::remove_all(root); }
    std::string path(const std::string& name) const { return root + "/" + name; }
    std::string root;
};

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Image::Pointer grey(int width, int height)
{
    return Image::imageWithPixels(width, height, std::vector<std::uint8_t>(std::size_t(width) * height * 4, 0x80)).value();
}

class RecordingDelegate : public DropInteractionDelegate {
public:
    bool dropInteractionCanHandleSession(const DropSession&) override { return true; }
    DropProposal dropInteractionSessionDidUpdate(const DropSession&) override { return {answer}; }
    bool dropInteractionPerformDrop(const DropSession& session) override
    {
        performed.push_back(session);
        return takes;
    }

    DropOperation answer = DropOperation::Copy;
    bool takes = true;
    std::vector<DropSession> performed;
};

class GtkDropBridgeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeBytes(jpegNamedPNG, grey(8, 6)->jpegData(0.9).value());
        writeBytes(pngNamedJPEG, grey(4, 4)->pngData().value());
        std::ofstream(text) << "\xFF\xD8 looks like the start of a JPEG but is two bytes short";
    }

    ScratchFolder folder{"gtk-drop-bridge"};
    std::string jpegNamedPNG = folder.path("photo.png");
    std::string pngNamedJPEG = folder.path("drawing.jpg");
    std::string text = folder.path("notes.jpeg");
};

TEST_F(GtkDropBridgeTest, droppedFilesAreTypedByWhatTheyHoldNotByTheirNames)
{
    EXPECT_EQ(GtkDropBridge::pictureTypeOfFile(jpegNamedPNG), "public.jpeg");
    EXPECT_EQ(GtkDropBridge::pictureTypeOfFile(pngNamedJPEG), "public.png");
    EXPECT_EQ(GtkDropBridge::pictureTypeOfFile(text), "");
    EXPECT_EQ(GtkDropBridge::pictureTypeOfFile(folder.path("gone.jpg")), "");

    DropSession session = GtkDropBridge::sessionForFiles({text, jpegNamedPNG, folder.path("gone.jpg"), pngNamedJPEG});
    ASSERT_EQ(session.items.size(), 2u) << "only the files that hold pictures are dragged items";
    EXPECT_TRUE(session.items[0].hasItemConformingToType("public.jpeg"));
    EXPECT_EQ(session.items[0].loadFile("public.jpeg"), jpegNamedPNG);
    EXPECT_EQ(session.items[0].loadFile("public.png"), std::nullopt) << "an item loads only as what it is";
    EXPECT_TRUE(session.items[1].hasItemConformingToType("public.png"));
}

TEST_F(GtkDropBridgeTest, aDropReachesTheDelegateOnlyWithPicturesAndWhenItTakesThem)
{
    RecordingDelegate delegate;
    EXPECT_FALSE(GtkDropBridge::deliver(delegate, GtkDropBridge::sessionForFiles({text})));
    EXPECT_TRUE(delegate.performed.empty());

    delegate.answer = DropOperation::Forbidden;
    EXPECT_FALSE(GtkDropBridge::deliver(delegate, GtkDropBridge::sessionForFiles({jpegNamedPNG})));
    EXPECT_TRUE(delegate.performed.empty());

    delegate.answer = DropOperation::Copy;
    EXPECT_TRUE(GtkDropBridge::deliver(delegate, GtkDropBridge::sessionForFiles({jpegNamedPNG})));
    ASSERT_EQ(delegate.performed.size(), 1u);
    EXPECT_EQ(delegate.performed[0].items.size(), 1u);

    // Offered a copy but taking none of the items, the delegate refuses
    // the drop: the source must not be told its data was taken.
    delegate.takes = false;
    EXPECT_FALSE(GtkDropBridge::deliver(delegate, GtkDropBridge::sessionForFiles({pngNamedJPEG})));
    EXPECT_EQ(delegate.performed.size(), 2u);
}

} // namespace
} // namespace folio
