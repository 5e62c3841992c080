#include "gui/NativeFieldStyle.h"

#include <gtk/gtk.h>

namespace {

constexpr const char* kCompactClass = "vantrel-compact";

// GTK themes give entries and drop-down buttons inner padding, minimum
// heights and fonts meant for larger fields than the form has. A narrow
// face keeps "10.2.1" whole in the Version field; pixels, not points, so
// that a larger desktop font cannot push text out of the fixed fields.
constexpr const char* kCompactCss =
    ".vantrel-compact, .vantrel-compact * {"
    " font-family: \"Liberation Sans Narrow\", \"DejaVu Sans Condensed\", sans-serif;"
    " font-size: 12px; }"
    "entry.vantrel-compact, .vantrel-compact button {"
    " padding-top: 0; padding-bottom: 0; padding-left: 1px; padding-right: 1px; min-height: 0; }";

void InstallCompactStyleOnce()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCompactCss, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// A multi-line text field is a scrolled window around the text view that
// takes the focus; the name belongs to the part that takes the focus.
GtkWidget* FocusWidget(wxWindow* field) { return field->GetConnectWidget(); }

}  // namespace

void MakeFieldCompact(wxWindow* field)
{
    InstallCompactStyleOnce();
    gtk_style_context_add_class(gtk_widget_get_style_context(field->GetHandle()), kCompactClass);
}

void SetAccessibleName(wxWindow* field, const std::string& name)
{
    for (GtkWidget* widget : {field->GetHandle(), FocusWidget(field)})
        atk_object_set_name(gtk_widget_get_accessible(widget), name.c_str());
}

std::string AccessibleName(wxWindow* field)
{
    const char* name = atk_object_get_name(gtk_widget_get_accessible(FocusWidget(field)));
    return name ? name : "";
}
