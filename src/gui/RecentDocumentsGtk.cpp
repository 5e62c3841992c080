#include "gui/RecentDocuments.h"

#include <cstdlib>
#include <set>

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

// The names to keep off the list, as URIs.
std::set<std::string>& ForgottenUris()
{
    static std::set<std::string> uris;
    return uris;
}

void RemoveForgotten(GtkRecentManager* manager)
{
    for (const std::string& uri : ForgottenUris()) {
        gchar* path = g_filename_from_uri(uri.c_str(), nullptr, nullptr);
        const bool exists = path && g_file_test(path, G_FILE_TEST_EXISTS);
        g_free(path);
        // Not has_item first: on a list that is not there yet it complains.
        if (!exists)
            gtk_recent_manager_remove_item(manager, uri.c_str(), nullptr);
    }
}

// The file dialog adds to GTK's own manager, and a moment later: it looks
// the file up first. Whatever it adds is looked at again.
void OnSharedListChanged(GtkRecentManager* manager, gpointer) { RemoveForgotten(manager); }

// GTK's own manager where it keeps the list of this home, as in a running
// program: one copy of the list, so that the file dialog's later write
// keeps what this program added and left out. A test that moved HOME gets
// a manager of its own, and the user's list is never touched.
GtkRecentManager* ManagerOf(const std::string& list)
{
    gchar* shared = g_build_filename(g_get_user_data_dir(), "recently-used.xbel", nullptr);
    const bool same = list == shared;
    g_free(shared);
    if (!same)
        return GTK_RECENT_MANAGER(g_object_new(GTK_TYPE_RECENT_MANAGER, "filename", list.c_str(), nullptr));
    GtkRecentManager* manager = gtk_recent_manager_get_default();
    static bool watched = false;
    if (!watched)
        g_signal_connect(manager, "changed", G_CALLBACK(OnSharedListChanged), nullptr);
    watched = true;
    return GTK_RECENT_MANAGER(g_object_ref(manager));
}

// Makes the folder of the list, which GTK writes without making it; null
// without a home.
GtkRecentManager* OpenList()
{
    const std::string list = RecentListPath();
    if (list.empty())
        return nullptr;
    gchar* folder = g_path_get_dirname(list.c_str());
    g_mkdir_with_parents(folder, 0700);
    g_free(folder);
    return ManagerOf(list);
}

// Written now, not a moment later from the event loop, which may be ending:
// a "changed" signal is what makes the manager write.
void StoreList(GtkRecentManager* manager)
{
    g_signal_emit_by_name(manager, "changed");
    g_object_unref(manager);
}

}  // namespace

void AddToDesktopRecentList(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    GtkRecentManager* manager = uri ? OpenList() : nullptr;
    if (!manager)
        return g_free(uri);
    // The full form needs no look at the file: the kind is known.
    GtkRecentData data = {};
    data.mime_type = const_cast<gchar*>("application/x-vantrel-press-release");
    data.app_name = const_cast<gchar*>("Vantrel");
    data.app_exec = const_cast<gchar*>("vantrel %u");
    gtk_recent_manager_add_full(manager, uri, &data);
    StoreList(manager);
    g_free(uri);
}

void ForgetFromDesktopRecentList(const std::string& path)
{
    gchar* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    GtkRecentManager* manager = uri ? OpenList() : nullptr;
    if (manager) {
        ForgottenUris().insert(uri);
        RemoveForgotten(manager);
        StoreList(manager);
    }
    g_free(uri);
}
