#include "gui/RecentDocuments.h"

#include <cstdlib>

#include <gtk/gtk.h>

namespace {

// GLib remembers the data folder from its first look, before the program
// knows which home it runs in; the list belongs to the home of now.
std::string RecentListPath()
{
    const char* data = std::getenv("XDG_DATA_HOME");
    if (data && *data == '/')
        return std::string(data) + "/recently-used.xbel";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/share/recently-used.xbel" : std::string();
}

}  // namespace

void AddToDesktopRecentList(const std::string& path)
{
    const std::string list = RecentListPath();
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (list.empty() || !uri)
        return g_free(uri);
    // GTK writes the list but makes no folder for it.
    gchar* folder = g_path_get_dirname(list.c_str());
    g_mkdir_with_parents(folder, 0700);
    g_free(folder);
    GtkRecentManager* manager =
        GTK_RECENT_MANAGER(g_object_new(GTK_TYPE_RECENT_MANAGER, "filename", list.c_str(), nullptr));
    // The full form needs no look at the file: the kind is known.
    GtkRecentData data = {};
    data.mime_type = const_cast<gchar*>("application/x-vantrel-press-release");
    data.app_name = const_cast<gchar*>("Vantrel");
    data.app_exec = const_cast<gchar*>("vantrel %u");
    gtk_recent_manager_add_full(manager, uri, &data);
    g_object_unref(manager);  // writes the list
    g_free(uri);
}
