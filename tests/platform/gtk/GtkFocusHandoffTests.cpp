#include "platform/gtk/GtkFocusHandoff.h"
#include "platform/gtk/GtkPresenter.h"
#include "support/WindowTestDisplay.h"

#include <gtest/gtest.h>

#include <memory>

namespace folio {
namespace {

// A window holding a field, a button and an area that wants the keyboard,
// as a page shown beside a find field and the window's buttons.
class GtkFocusHandoffTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto created = GtkPresenter::create();
        if (!created)
            return test::noDisplayForWindowTest(created.error().message);
        presenter = std::move(created.value());
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
        field = gtk_entry_new();
        button = gtk_button_new_with_label("Close");
        area = gtk_drawing_area_new();
        gtk_widget_set_can_focus(area, TRUE);
        gtk_container_add(GTK_CONTAINER(box), field);
        gtk_container_add(GTK_CONTAINER(box), button);
        gtk_container_add(GTK_CONTAINER(window), box);
    }
    void TearDown() override
    {
        if (window)
            gtk_widget_destroy(window);
        if (offscreen)
            gtk_widget_destroy(offscreen);
        GtkPresenter::processPendingEvents();
        presenter.reset();
    }
    void show(GtkWidget* toplevel)
    {
        gtk_widget_show_all(toplevel);
        for (int turn = 0; turn < 200 && !gtk_widget_get_mapped(toplevel); ++turn)
            gtk_main_iteration_do(FALSE);
        GtkPresenter::processPendingEvents();
    }
    GtkWidget* focus() const { return gtk_window_get_focus(GTK_WINDOW(window)); }

    std::unique_ptr<GtkPresenter> presenter;
    GtkWidget* window = nullptr;
    GtkWidget* offscreen = nullptr;
    GtkWidget* box = nullptr;
    GtkWidget* field = nullptr;
    GtkWidget* button = nullptr;
    GtkWidget* area = nullptr;
};

TEST_F(GtkFocusHandoffTest, aShownAreaTakesTheKeyboardFromAButtonButNotFromAFieldBeingTypedIn)
{
    gtk_container_add(GTK_CONTAINER(box), area);
    show(window);

    gtk_widget_grab_focus(field);
    EXPECT_FALSE(GtkFocusHandoff::grabUnlessTypingElsewhere(area));
    EXPECT_EQ(focus(), field);

    gtk_widget_grab_focus(button);
    EXPECT_TRUE(GtkFocusHandoff::grabUnlessTypingElsewhere(area));
    EXPECT_EQ(focus(), area);
}

TEST_F(GtkFocusHandoffTest, aShownAreaLeavesTheKeyboardToAnOpenPopover)
{
    gtk_container_add(GTK_CONTAINER(box), area);
    show(window);
    GtkWidget* popover = gtk_popover_new(button);
    GtkWidget* choice = gtk_button_new_with_label("Choice");
    gtk_container_add(GTK_CONTAINER(popover), choice);
    gtk_widget_show_all(popover);
    gtk_popover_popup(GTK_POPOVER(popover));
    for (int turn = 0; turn < 200 && !gtk_widget_get_mapped(popover); ++turn)
        gtk_main_iteration_do(FALSE);
    gtk_widget_grab_focus(choice);
    EXPECT_FALSE(GtkFocusHandoff::grabUnlessTypingElsewhere(area));
    EXPECT_NE(focus(), area);

    gtk_popover_popdown(GTK_POPOVER(popover));
    for (int turn = 0; turn < 200 && gtk_widget_get_mapped(popover); ++turn)
        gtk_main_iteration_do(FALSE);
    gtk_widget_grab_focus(button);
    EXPECT_TRUE(GtkFocusHandoff::grabUnlessTypingElsewhere(area));
    EXPECT_EQ(focus(), area);
}

TEST_F(GtkFocusHandoffTest, anAreaWaitingOffScreenTakesTheKeyboardOnceItsWindowShowsIt)
{
    offscreen = gtk_offscreen_window_new();
    gtk_container_add(GTK_CONTAINER(offscreen), area);
    show(offscreen);
    EXPECT_TRUE(GtkFocusHandoff::grabUnlessTypingElsewhere(area));

    g_object_ref(area);
    gtk_container_remove(GTK_CONTAINER(offscreen), area);
    gtk_container_add(GTK_CONTAINER(box), area);
    g_object_unref(area);
    show(window);
    EXPECT_EQ(focus(), area);
}

} // namespace
} // namespace folio
