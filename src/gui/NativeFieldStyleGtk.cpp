#include "gui/NativeFieldStyle.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <gtk/gtk.h>
#include <wx/settings.h>
#include <wx/textctrl.h>
#include <wx/tooltip.h>

namespace {

constexpr const char* kCompactClass = "vantrel-compact";
constexpr const char* kProblemClass = "vantrel-problem";
constexpr const char* kNoticeClass = "vantrel-notice";

// GTK themes give entries and drop-down buttons inner padding, minimum
// heights and fonts meant for larger fields than the form has. A narrow
// face keeps "10.2.1" whole in the Version field; pixels, not points, so
// that the font grows with the form and never past its fields.
constexpr double kFieldFontPixels = 12;
constexpr const char* kCompactCss =
    ".vantrel-compact, .vantrel-compact * {"
    " font-family: \"Liberation Sans Narrow\", \"DejaVu Sans Condensed\", sans-serif;"
    " font-size: %ldpx; }"
    "entry.vantrel-compact, .vantrel-compact button {"
    " padding-top: 0; padding-bottom: 0; padding-left: 1px; padding-right: 1px; min-height: 0; }";
// A frame drawn inside the border, so that no field grows.
constexpr const char* kProblemCss = ".vantrel-problem, .vantrel-problem text {"
                                    " border-color: #c01c28; box-shadow: inset 0 0 0 1px #c01c28; }"
                                    // Something is left out, nothing failed: amber, dashed.
                                    ".vantrel-notice, .vantrel-notice text {"
                                    " border: 1px dashed #c88800; box-shadow: inset 0 0 0 1px #e5a50a; }";

// The desktop's normal text resolution, against which GTK measures larger text.
constexpr double kNormalTextDpi = 96;
constexpr double kLargestTextScale = 3;

void InstallStyle(const char* css)
{
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

// One form per process, so its first scale is the only one.
void InstallCompactStyleOnce(double scale)
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    gchar* css = g_strdup_printf(kCompactCss, std::lround(kFieldFontPixels * scale));
    InstallStyle(css);
    g_free(css);
}

void InstallProblemStyleOnce()
{
    static bool installed = false;
    if (!installed)
        InstallStyle(kProblemCss);
    installed = true;
}

// A multi-line text field is a scrolled window around the text view that
// takes the focus; the name belongs to the part that takes the focus.
GtkWidget* FocusWidget(wxWindow* field) { return field->GetConnectWidget(); }

void AddFocusable(GtkWidget* widget, gpointer parts)
{
    if (gtk_widget_get_can_focus(widget))
        static_cast<std::vector<GtkWidget*>*>(parts)->push_back(widget);
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(GTK_CONTAINER(widget), AddFocusable, parts);
}

// Every part of a field a screen reader may meet: the field, the part wx
// connects to, and whatever inside takes the focus (a drop-down list hands
// it to a toggle button of its own).
std::vector<GtkWidget*> AccessibleParts(wxWindow* field)
{
    std::vector<GtkWidget*> parts = {field->GetHandle(), FocusWidget(field)};
    if (GTK_IS_CONTAINER(field->GetHandle()))
        gtk_container_forall(GTK_CONTAINER(field->GetHandle()), AddFocusable, &parts);
    return parts;
}

// What the keyboard focus lands on, which is what a screen reader speaks.
AtkObject* FocusedAccessible(wxWindow* field)
{
    for (GtkWidget* part : AccessibleParts(field)) {
        if (gtk_widget_get_can_focus(part))
            return gtk_widget_get_accessible(part);
    }
    return gtk_widget_get_accessible(FocusWidget(field));
}

// The labels are pixels of the background, so each field gets an object
// that stands for its label, for the relation "labelled by" to point at.
// The field's widget owns it.
AtkObject* LabelObject(wxWindow* field, const std::string& text)
{
    AtkObject* label = ATK_OBJECT(g_object_new(ATK_TYPE_OBJECT, nullptr));
    atk_object_set_role(label, ATK_ROLE_LABEL);
    atk_object_set_name(label, text.c_str());
    if (field->GetParent())
        atk_object_set_parent(label, gtk_widget_get_accessible(field->GetParent()->GetHandle()));
    g_object_set_data_full(G_OBJECT(field->GetHandle()), "vantrel-label", label, g_object_unref);
    return label;
}

constexpr int kLinesAtOnce = 4096;

// The version of a text buffer's text, kept on the buffer itself.
constexpr const char* kTextVersionKey = "vantrel-text-version";
constexpr const char* kTextWatchedKey = "vantrel-text-watched";

void CountTextChange(GtkTextBuffer* buffer, gpointer)
{
    const gsize version = GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(buffer), kTextVersionKey));
    g_object_set_data(G_OBJECT(buffer), kTextVersionKey, GSIZE_TO_POINTER(version + 1));
}

}  // namespace

double DesktopTextScale()
{
    const double dpi = gdk_screen_get_resolution(gdk_screen_get_default());
    return dpi > kNormalTextDpi ? std::min(dpi / kNormalTextDpi, kLargestTextScale) : 1.0;
}

// GTK_THEME, when set, is the theme GTK draws with, whatever the settings say.
FormLook DesktopFormLook()
{
    std::string theme;
    if (const char* forced = g_getenv("GTK_THEME"); forced && *forced) {
        theme = forced;
    } else {
        gchar* name = nullptr;
        g_object_get(gtk_settings_get_default(), "gtk-theme-name", &name, nullptr);
        theme = name ? name : "";
        g_free(name);
    }
    const wxColour field = wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW);
    return ChooseFormLook(theme, false, ThemeColour{field.Red(), field.Green(), field.Blue()});
}

void MakeFieldCompact(wxWindow* field, double scale)
{
    InstallCompactStyleOnce(scale);
    gtk_style_context_add_class(gtk_widget_get_style_context(field->GetHandle()), kCompactClass);
}

void SetAccessibleName(wxWindow* field, const std::string& name)
{
    AtkObject* label = LabelObject(field, name);
    for (GtkWidget* widget : AccessibleParts(field)) {
        AtkObject* part = gtk_widget_get_accessible(widget);
        atk_object_set_name(part, name.c_str());
        atk_object_add_relationship(part, ATK_RELATION_LABELLED_BY, label);
        atk_object_add_relationship(label, ATK_RELATION_LABEL_FOR, part);
    }
}

std::string AccessibleName(wxWindow* field)
{
    const char* name = atk_object_get_name(FocusedAccessible(field));
    return name ? name : "";
}

std::string AccessibleLabel(wxWindow* field)
{
    AtkRelationSet* relations = atk_object_ref_relation_set(FocusedAccessible(field));
    AtkRelation* labelledBy = atk_relation_set_get_relation_by_type(relations, ATK_RELATION_LABELLED_BY);
    GPtrArray* targets = labelledBy ? atk_relation_get_target(labelledBy) : nullptr;
    const char* name = targets && targets->len > 0
        ? atk_object_get_name(ATK_OBJECT(g_ptr_array_index(targets, 0)))
        : nullptr;
    std::string text = name ? name : "";
    g_object_unref(relations);
    return text;
}

std::string FieldText(wxTextCtrl* field)
{
    GtkWidget* view = field->GetConnectWidget();
    if (!field->IsMultiLine() || !GTK_IS_TEXT_VIEW(view))
        return field->GetValue().utf8_string();
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    // In pieces of some thousand lines into a string of at least the
    // characters' size: the whole text at once would stand in a string of
    // GTK's that grows by doubling, beside the copy made of it.
    std::string utf8;
    utf8.reserve(static_cast<std::size_t>(std::max(gtk_text_buffer_get_char_count(buffer), 0)));
    GtkTextIter start, end;
    gtk_text_buffer_get_start_iter(buffer, &start);
    while (!gtk_text_iter_is_end(&start)) {
        end = start;
        gtk_text_iter_forward_lines(&end, kLinesAtOnce);
        gchar* piece = gtk_text_iter_get_text(&start, &end);  // what get_text takes, hidden text too
        utf8 += piece;
        g_free(piece);
        start = end;
    }
    return utf8;
}

std::uint64_t FieldTextVersion(wxTextCtrl* field)
{
    GtkWidget* view = field->GetConnectWidget();
    if (!field->IsMultiLine() || !GTK_IS_TEXT_VIEW(view)) {
        // Never a version a watched buffer has.
        static std::uint64_t unknown = std::uint64_t{1} << 63;
        return ++unknown;
    }
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    if (!g_object_get_data(G_OBJECT(buffer), kTextWatchedKey)) {
        g_signal_connect(buffer, "changed", G_CALLBACK(CountTextChange), nullptr);
        g_object_set_data(G_OBJECT(buffer), kTextWatchedKey, GINT_TO_POINTER(1));
    }
    return GPOINTER_TO_SIZE(g_object_get_data(G_OBJECT(buffer), kTextVersionKey));
}

namespace {

void MarkField(wxWindow* field, const char* styleClass, const std::string& message)
{
    InstallProblemStyleOnce();
    gtk_style_context_add_class(gtk_widget_get_style_context(field->GetHandle()), styleClass);
    field->SetToolTip(wxString::FromUTF8(message));
    for (GtkWidget* widget : {field->GetHandle(), FocusWidget(field)})
        atk_object_set_description(gtk_widget_get_accessible(widget), message.c_str());
}

bool HasMark(wxWindow* field, const char* styleClass)
{
    return gtk_style_context_has_class(gtk_widget_get_style_context(field->GetHandle()), styleClass);
}

void ClearMark(wxWindow* field, const char* styleClass)
{
    if (!HasMark(field, styleClass))
        return;
    gtk_style_context_remove_class(gtk_widget_get_style_context(field->GetHandle()), styleClass);
    field->UnsetToolTip();
    for (GtkWidget* widget : {field->GetHandle(), FocusWidget(field)})
        atk_object_set_description(gtk_widget_get_accessible(widget), "");
}

}  // namespace

void MarkFieldProblem(wxWindow* field, const std::string& message)
{
    gtk_style_context_add_class(gtk_widget_get_style_context(field->GetHandle()), GTK_STYLE_CLASS_ERROR);
    MarkField(field, kProblemClass, message);
}

void ClearFieldProblem(wxWindow* field)
{
    if (HasFieldProblem(field))
        gtk_style_context_remove_class(gtk_widget_get_style_context(field->GetHandle()),
                                       GTK_STYLE_CLASS_ERROR);
    ClearMark(field, kProblemClass);
}

bool HasFieldProblem(wxWindow* field) { return HasMark(field, kProblemClass); }

void MarkFieldNotice(wxWindow* field, const std::string& message) { MarkField(field, kNoticeClass, message); }
void ClearFieldNotice(wxWindow* field) { ClearMark(field, kNoticeClass); }
bool HasFieldNotice(wxWindow* field) { return HasMark(field, kNoticeClass); }

std::string AccessibleDescription(wxWindow* field)
{
    const char* text = atk_object_get_description(gtk_widget_get_accessible(FocusWidget(field)));
    return text ? text : "";
}

void SetAccessibleStatus(wxWindow* statusBar, const std::string& text)
{
    AtkObject* accessible = gtk_widget_get_accessible(statusBar->GetHandle());
    atk_object_set_role(accessible, ATK_ROLE_STATUSBAR);
    // A changed name is what a screen reader announces for a status bar.
    atk_object_set_name(accessible, text.c_str());
}

std::string AccessibleStatus(wxWindow* statusBar)
{
    AtkObject* accessible = gtk_widget_get_accessible(statusBar->GetHandle());
    const char* name =
        atk_object_get_role(accessible) == ATK_ROLE_STATUSBAR ? atk_object_get_name(accessible) : nullptr;
    return name ? name : "";
}
