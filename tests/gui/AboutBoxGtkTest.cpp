#include <gtk/gtk.h>

#include "GuiTestSupport.h"
#include "gui/CommandIds.h"

namespace {

using HelpTest = AppTest;

// The toolkit's about box is GTK's own window, not a wx dialog.
TEST_F(HelpTest, AboutVantrelShowsIconVersionLicenceAndHomePage)
{
    EXPECT_TRUE(SendMenuCommand(ID_ABOUT));
    PumpEvents();
    GtkAboutDialog* about = nullptr;
    GList* windows = gtk_window_list_toplevels();
    for (GList* window = windows; window; window = window->next) {
        if (GTK_IS_ABOUT_DIALOG(window->data))
            about = GTK_ABOUT_DIALOG(window->data);
    }
    g_list_free(windows);
    ASSERT_NE(about, nullptr);
    EXPECT_STREQ(gtk_about_dialog_get_program_name(about), "Vantrel");
    EXPECT_STREQ(gtk_about_dialog_get_version(about), VANTREL_VERSION);
    EXPECT_NE(std::string(gtk_about_dialog_get_license(about)).find("Tarsel Software"), std::string::npos);
    EXPECT_STREQ(gtk_about_dialog_get_website(about), "https://www.tarsel.example/vantrel");
    GdkPixbuf* logo = gtk_about_dialog_get_logo(about);
    const int logoWidth = logo ? gdk_pixbuf_get_width(logo) : 0;
    gtk_widget_destroy(GTK_WIDGET(about));
    EXPECT_EQ(logoWidth, 64) << "the program's icon, not GTK's broken image";
}

}  // namespace
